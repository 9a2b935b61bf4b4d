#include "extract/run.h"

#include <QStringDecoder>
#include <string>

#include "common/numeric.h"
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

constexpr std::size_t kFlushAt = std::size_t(1) << 20;

// Output lines gathered in a large buffer and written in blocks, re-encoded on request.
class OutputSink {
 public:
  OutputSink(OutputFile& file, bool utf8) : file_(file), utf8_(utf8) { buffer_.reserve(kFlushAt + 64 * 1024); }
  std::string& buffer() { return buffer_; }
  std::optional<QString> flushIfFull() { return buffer_.size() >= kFlushAt ? flush() : std::nullopt; }
  std::optional<QString> flush() {
    std::optional<QString> failure;
    if (utf8_) {
      QString text = decoder_.decode(QByteArrayView(buffer_.data(), qsizetype(buffer_.size())));
      QByteArray utf8 = text.toUtf8();
      failure = file_.write(utf8.constData(), std::size_t(utf8.size()));
    } else {
      failure = file_.write(buffer_.data(), buffer_.size());
    }
    buffer_.clear();
    return failure;
  }

 private:
  OutputFile& file_;
  bool utf8_;
  QStringDecoder decoder_{"Shift_JIS"};
  std::string buffer_;
};

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
  if (!group) return failed(r, QStringLiteral("集計区分が選択されていません。"));

  const QString dataPath = resolveCaseInsensitive(censusDataPath(in.inputFolder, in.prefecture, *group));
  InputFile data;
  if (auto failure = data.open(dataPath)) return failed(r, *failure);

  const QString namesPath = resolveCaseInsensitive(itemNamePath(in.programFolder, *group));
  if (sameFile(in.outputFile, dataPath) || sameFile(in.outputFile, namesPath)) return failed(r, sameAsInput());
  OutputFile output;
  if (auto failure = output.open(in.outputFile)) return failed(r, *failure);

  InputFile namesFile;
  if (auto failure = namesFile.open(namesPath)) return failed(r, *failure);

  for (ItemSet& s : in.itemSets)
    if (s.interval == 0) s.interval = 1;
  if (progress) progress(0);

  NameTable names;
  {
    LineReader nameLines(namesFile, LineReader::kKeepAll, 64 * 1024);
    auto failure = readNameTable(nameLines, names);
    r.KCNT = names.count;
    if (failure) return failed(r, *failure);
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
  std::string& out = sink.buffer();
  out.append(kHeaderLabels);
  for (int p : positions) {
    out.push_back(',');
    appendQuoted(out, names.lines[std::size_t(p)]);
  }
  out.append("\r\n", 2);
  if (auto failure = sink.flush()) return failed(r, *failure);

  const RecordLayout layout = makeLayout(std::move(positions), in.numerify);
  LineReader lines(data, bytesToKeep(layout.lastPosition));
  RecordView record;
  std::string_view line;
  r.OCNT = 1;
  while (lines.next(line)) {
    ++r.ICNT;
    if (progress) progress(r.ICNT);
    record.reset(line, layout.lastPosition);
    if (in.municipalityFilter) {
      auto code = municipalityCode(record.chars(kMunicipalityPos, kMunicipalityLen));
      if (!code) return failed(r, overflowDescription());
      if (!acceptsMunicipality(in.municipalities, *code)) continue;
    }
    if (!appendRecordLine(out, record, layout)) return failed(r, overflowDescription());
    ++r.OCNT;
    if (auto failure = sink.flushIfFull()) return failed(r, *failure);
  }
  if (lines.error()) return failed(r, *lines.error());
  if (auto failure = sink.flush()) return failed(r, *failure);
  if (auto failure = output.commit()) return failed(r, *failure);

  r.end = RunEnd::Completed;
  r.message = completionMessage(r.KCNT, r.ICNT, r.OCNT);
  return r;
}

}  // namespace h7
