#include "extract/run.h"

#include <QStringDecoder>
#include <memory>
#include <string>

#include "common/numeric.h"
#include "extract/chunks.h"
#include "extract/fileio.h"
#include "extract/groups.h"
#include "extract/itemnames.h"
#include "extract/linereader.h"
#include "extract/record.h"

namespace h7 {

namespace {

// Shift-JIS header labels: 県, 市区町村, 町丁･字等 (the dot is the half-width A5).
constexpr std::string_view kHeaderLabels =
    "\"\x8C\xA7\",\"\x8E\x73\x8B\xE6\x92\xAC\x91\xBA\",\"\x92\xAC\x92\x9A\xA5\x8E\x9A\x93\x99\"";

// Output lines written as they come, re-encoded to UTF-8 on request.
class OutputSink {
 public:
  OutputSink(OutputFile& file, bool utf8) : file_(file), utf8_(utf8) {}
  std::optional<QString> writeByteOrderMark() { return file_.write("\xEF\xBB\xBF", 3); }
  std::optional<QString> write(const ByteBuffer& lines) {
    if (!utf8_) return file_.write(lines.data(), lines.size());
    QString text = decoder_.decode(QByteArrayView(lines.data(), qsizetype(lines.size())));
    QByteArray utf8 = text.toUtf8();
    return file_.write(utf8.constData(), std::size_t(utf8.size()));
  }

 private:
  OutputFile& file_;
  bool utf8_;
  QStringDecoder decoder_{"Shift_JIS"};
};

// Per output item, the values of a kept record that hold no number (numerified to 0).
void countValuesWithoutNumber(Chunk& c, const RecordView& record, const RecordLayout& layout) {
  c.tally.resize(layout.positions.size());
  for (std::size_t i = 0; i < layout.positions.size(); ++i)
    if (!holdsNumber(record.chars(fieldPosition(layout.positions[i]), kFieldWidth))) ++c.tally[i];
}

RunResult failed(RunResult r, const QString& description) {
  r.end = RunEnd::Failed;
  r.message = errorMessage(description);
  return r;
}

}  // namespace

QString completionMessage(int KCNT, long long ICNT, long long OCNT) {
  return QStringLiteral("正常終了  KCNT=") + displayNumber(KCNT) + QStringLiteral("   ICNT= ") +
         displayNumber(double(ICNT)) + QStringLiteral("  ,OCNT= ") + displayNumber(double(OCNT));
}

RunResult runExtraction(RunInputs& in, const RunProgress& progress) {
  RunResult r;
  const TabulationGroup* group = tabulationGroup(in.group);
  if (!group) return failed(r, noGroupSelected());

  // Every census data file is opened before the output is touched.
  std::vector<std::unique_ptr<InputFile>> data;
  QStringList dataPaths;
  for (const QString& prefecture : in.prefectures) {
    dataPaths << resolveCaseInsensitive(censusDataPath(in.inputFolder, prefecture, *group));
    data.push_back(std::make_unique<InputFile>());
    if (auto failure = data.back()->open(dataPaths.back())) return failed(r, *failure);
  }

  const QString namesPath = resolveCaseInsensitive(itemNamePath(in.programFolder, *group));
  for (const QString& input : dataPaths + QStringList{namesPath})
    if (sameFile(in.outputFile, input)) return failed(r, sameAsInput());
  OutputFile output;
  if (auto failure = output.open(in.outputFile)) return failed(r, *failure);

  InputFile namesFile;
  if (auto failure = namesFile.open(namesPath)) return failed(r, withPath(*failure, namesPath));

  for (ItemSet& s : in.itemSets)
    if (s.interval == 0) s.interval = 1;
  RunProgressInfo info;
  for (const auto& file : data) info.totalBytes += file->size();
  if (progress) progress(info);

  NameTable names;
  {
    LineReader nameLines = nameReader(namesFile);
    auto failure = readNameTable(nameLines, names);
    r.KCNT = names.count;
    if (failure) return failed(r, withPath(*failure, namesPath));
  }
  namesFile.close();

  if (in.itemSets.empty() || in.itemSets.front().first == 0) {
    r.end = RunEnd::NoItems;
    r.message = noItemsMessage();
    return r;
  }

  std::vector<int> positions;
  const bool inTable = forEachOutputItem(in.itemSets, group->offset, [&](int p) {
    if (p < 0 || p >= kNameSlots) return false;
    positions.push_back(p);
    return true;
  });
  if (!inTable) return failed(r, outOfRange());

  OutputSink sink(output, in.utf8);
  if (in.utf8 && in.utf8Bom)
    if (auto failure = sink.writeByteOrderMark()) return failed(r, *failure);
  ByteBuffer header;
  header.append(kHeaderLabels);
  for (int p : positions) {
    header.push_back(',');
    appendQuoted(header, names.lines[std::size_t(p)]);
  }
  header.append("\r\n", 2);
  if (auto failure = sink.write(header)) return failed(r, *failure);

  r.itemPositions = positions;
  const RecordLayout layout = makeLayout(std::move(positions), in.numerify);
  auto process = [&](Chunk& c) {
    RecordView record;
    forEachLine(c, [&](std::string_view line) {
      ++c.lines;
      record.reset(line, layout.lastPosition);
      if (in.municipalityFilter) {
        auto code = municipalityCode(record.chars(kMunicipalityPos, kMunicipalityLen));
        if (!code) {
          c.failure = overflowDescription();
          return false;
        }
        if (!acceptsMunicipality(in.municipalities, *code)) return true;
      }
      if (!appendRecordLine(c.out, record, layout)) {
        c.failure = overflowDescription();
        return false;
      }
      ++c.kept;
      if (in.stats) countValuesWithoutNumber(c, record, layout);
      return true;
    });
  };
  std::vector<ByteSource*> sources;
  for (auto& file : data) sources.push_back(file.get());
  const int threads = in.threads < 0 ? defaultWorkerCount() : in.threads;
  if (in.stats) r.noNumber.assign(layout.positions.size(), 0);
  auto collect = [&](const Chunk& c) {
    for (std::size_t i = 0; i < c.tally.size() && i < r.noNumber.size(); ++i) r.noNumber[i] += c.tally[i];
    return sink.write(c.out);
  };
  auto chunkProgress = [&](long long lines, long long bytes) {
    info.lines = lines;
    info.bytes = bytes;
    if (progress) progress(info);
  };
  const PipelineResult records = runPipeline(sources, bytesToKeep(layout.lastPosition), in.chunkBytes, threads,
                                             process, collect, chunkProgress);
  r.ICNT = records.lines;
  r.OCNT = 1 + records.kept;
  if (records.failure) return failed(r, *records.failure);
  if (auto failure = output.commit()) return failed(r, *failure);

  r.end = RunEnd::Completed;
  r.message = completionMessage(r.KCNT, r.ICNT, r.OCNT);
  return r;
}

}  // namespace h7
