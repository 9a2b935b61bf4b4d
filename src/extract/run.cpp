#include "extract/run.h"

#include <memory>
#include <string>

#include "core/groups.h"
#include "core/numeric.h"
#include "extract/census_files.h"
#include "extract/chunks.h"
#include "extract/csv_target.h"
#include "extract/files.h"
#include "extract/item_names.h"
#include "extract/kernels/choice.h"
#include "extract/map_target.h"
#include "extract/municipality_filter.h"
#include "extract/output_items.h"
#include "extract/output_target.h"
#include "extract/record.h"

namespace h7 {

namespace {

// The most one line of the long form takes: codes, item number, a name of at most
// kMaxNameBytes with its quotation marks doubled, a value.
constexpr std::size_t kLongLineRoom = 64 * 1024;
static_assert(kLongLineRoom > 2 * kMaxNameBytes + 1024);

// The files of a run, all opened before anything is written.
struct RunFiles {
  std::vector<std::unique_ptr<ByteSource>> data;  // one per prefecture, in order
  QStringList dataPaths;  // as the messages name them
  QString namesPath;
  std::unique_ptr<ByteSource> names;
  OutputFile output;
  OutputFile unmatched;  // a map's codes that did not join (--unmatched)
};

// Every census data file, then the output (never one of the inputs, the archive they are in
// and the boundaries of a map included), then the item names.
std::optional<Failure> openFiles(const RunInputs& in, const TabulationGroup& group, RunFiles& files) {
  QStringList inputs;
  for (const QString& prefecture : in.prefectures) {
    const Result<CensusFile> found = findCensusFile(in.inputFolder, censusDataName(prefecture, group));
    if (!found) return found.failure();
    Result<std::unique_ptr<ByteSource>> source = openCensusFile(*found);
    if (!source) return source.failure();
    inputs << found->path;
    files.dataPaths << found->shown();
    files.data.push_back(std::move(*source));
  }
  const Result<CensusFile> names = findItemNameFile(in.nameFolders, group);
  if (names) files.namesPath = names->shown();
  const bool map = !in.map.boundaries.isEmpty();
  const QString namesFile = names ? names->path : QString();
  const QStringList others = map ? QStringList{namesFile, in.map.boundaries} : QStringList{namesFile};
  if (auto refused = refuseOutputOverInputs(in.outputFile, in.outputDescriptor, inputs + others,
                                            QStringList{in.inputFolder} + in.nameFolders))
    return refused;
  using Filler = OutputFile::Filler;
  if (auto failure = in.outputDescriptor >= 0 && !map ? files.output.adopt(in.outputDescriptor)
                                                      : files.output.open(in.outputFile, map ? Filler::Database : Filler::Writes))
    return failure;
  if (const QString& unmatched = in.map.unmatched; map && !unmatched.isEmpty()) {
    if (auto refused = refuseOutputOverInputs(unmatched, -1, inputs + others + QStringList{in.outputFile},
                                              QStringList{in.inputFolder} + in.nameFolders))
      return refused;
    if (auto failure = unmatched == u"-" ? files.unmatched.adopt(1) : files.unmatched.open(unmatched)) return failure;
  }
  if (!names) return names.failure();
  Result<std::unique_ptr<ByteSource>> opened = openCensusFile(*names);
  if (!opened) return opened.failure();
  files.names = std::move(*opened);
  return std::nullopt;
}

// Per output item, the values of a kept record that hold no number (numerified to 0).
void countValuesWithoutNumber(Chunk& c, const RecordView& record, const RecordLayout& layout) {
  c.tally.resize(layout.positions.size());
  for (std::size_t i = 0; i < layout.positions.size(); ++i)
    if (!holdsNumber(record.chars(fieldPosition(layout.positions[i]), kFieldWidth))) ++c.tally[i];
}

// The item position of the first value of a record whose numerified value overflows.
int overflowingItem(const RecordView& record, const RecordLayout& layout) {
  ByteBuffer scratch;
  for (int p : layout.positions) {
    scratch.clear();
    if (!appendNumerified(scratch, record.chars(fieldPosition(p), kFieldWidth))) return p;
  }
  return 0;
}


// The long form's lines of a record, handed on in pieces as they grow (an item list of
// many long names makes megabytes of one record). Its numerified values are checked
// first, so that no line of a record that fails reaches the output.
bool appendLongLines(Chunk& c, const RecordView& record, const RecordLayout& layout) {
  if (layout.numerify && overflowingItem(record, layout)) return false;
  for (std::size_t i = 0; i < layout.positions.size(); ++i) {
    const std::size_t lineStart = c.out.size();
    if (!appendLongLine(c.out, record, layout, i)) return c.out.truncate(lineStart), false;
    if (!c.flushIfFull()) return false;
  }
  return true;
}

// What a kept record gives: its values for the map, or its CSV line (lines, in the long form).
bool appendKept(Chunk& c, const RecordView& record, const RecordLayout& layout, const RunInputs& in) {
  if (!in.map.boundaries.isEmpty()) return appendMapRecord(c.out, record, layout, in.map.suppressedAsZero);
  return in.longForm ? appendLongLines(c, record, layout) : appendRecordLine(c.out, record, layout);
}

// The records of every census data file, through the worker threads, written in order.
PipelineResult writeRecords(const RunInputs& in, const TabulationGroup& group, RunFiles& files,
                            const RecordLayout& layout, OutputTarget& target, RunResult& r,
                            const std::function<void(long long, long long)>& progress) {
  // The long form writes several times the bytes it reads: smaller chunks keep it from
  // being handed on in pieces, which holds up its worker.
  const std::size_t chunkBytes = in.longForm ? std::max<std::size_t>(in.chunkBytes / 16, 1) : in.chunkBytes;
  // Room for a chunk's lines made at once: a buffer grown step by step copies itself and
  // touches twice the memory. Whole records are assumed, of raw values or of numerified
  // ones half as long (they are shorter still in most data: a huge page for room they
  // would not fill is memory lost), and two more: for the line that runs past the chunk's
  // end, and for the room a line asks for beyond what it uses.
  // The long form makes more than a piece of most chunks: room for a piece and a line,
  // whose pages are touched only as they are written; its pieces are smaller, since every
  // worker's waits with one.
  const std::size_t pieceBytes = in.longForm ? Chunk::kPieceBytes / 4 : Chunk::kPieceBytes;
  const std::size_t roomPerChunk =
      in.longForm ? pieceBytes + kLongLineRoom
                  : std::min(Chunk::kPieceBytes, (chunkBytes / layout.lastPosition + 2) *
                                                     (layout.positions.size() * (kFieldWidth + 1) / (in.numerify ? 2 : 1) + 128));
  auto process = [&](Chunk& c) {
    c.pieceBytes = pieceBytes;
    c.out.room(roomPerChunk);
    RecordView record(*layout.kernels);
    forEachLine(c, [&](std::string_view line, bool mayHoldHighBytes) {
      ++c.lines;
      if (in.municipalityFilter) {  // the code alone first: a record left out costs little
        record.reset(line, kMunicipalityPos + kMunicipalityLen - 1, mayHoldHighBytes);
        auto code = municipalityCode(record.chars(kMunicipalityPos, kMunicipalityLen));
        if (!code) {
          c.failure = msg::overflowInCode();
          return false;
        }
        if (!acceptsMunicipality(in.municipalities, *code)) return true;
      }
      record.reset(line, layout.lastPosition, mayHoldHighBytes);
      const std::size_t lineStart = c.out.size();  // a failing record leaves no part of a line
      if (!appendKept(c, record, layout, in)) {
        if (!in.longForm) c.out.truncate(lineStart);
        c.failure = msg::overflowInItem(overflowingItem(record, layout) + group.offset);
        return false;
      }
      ++c.kept;
      if (in.stats) countValuesWithoutNumber(c, record, layout);
      return true;
    });
  };
  auto collect = [&](Chunk& c) {
    for (std::size_t i = 0; i < c.tally.size() && i < r.noNumber.size(); ++i) r.noNumber[i] += c.tally[i];
    return target.write(c.out);
  };
  std::vector<ByteSource*> sources;
  for (auto& file : files.data) sources.push_back(file.get());
  const int threads = in.threads < 0 ? defaultWorkerCount() : in.threads;
  return runPipeline(*layout.kernels, sources, bytesToKeep(layout.lastPosition), 2 * recordLength(group.fieldsPerRecord),
                     chunkBytes, threads, process, collect, progress);
}

RunResult failed(RunResult r, const Failure& failure, RunEnd end = RunEnd::Failed) {
  r.end = end;
  r.failure = failure;
  return r;
}

}  // namespace

QString RunResult::message() const {
  return end == RunEnd::Completed ? msg::completion(KCNT, ICNT, OCNT) : errorMessage(*failure);
}

RunResult runExtraction(const RunInputs& in, const RunProgress& progress) {
  RunResult r;
  r.itemSets = in.itemSets;
  const TabulationGroup* group = tabulationGroup(in.group);
  if (!group) return failed(r, msg::noGroupSelected());
  RunFiles files;
  if (auto failure = openFiles(in, *group, files)) return failed(r, *failure);

  fillIntervals(r.itemSets);
  RunProgressInfo info;
  for (const auto& file : files.data) info.totalBytes += file->storedSize();
  if (progress) progress(info);

  NameTable names;
  const std::optional<Failure> namesFailure = readNameTable(*files.names, names);
  r.KCNT = names.count;
  if (namesFailure) return failed(r, withPath(*namesFailure, files.namesPath));
  files.names.reset();

  if (r.itemSets.empty() || r.itemSets.front().first == 0) return failed(r, msg::noItems(), RunEnd::NoItems);
  Result<std::vector<int>> items = in.itemPositions ? Result(*in.itemPositions) : outputItemPositions(r.itemSets, group->offset);
  if (!items) return failed(r, items.failure());
  std::vector<int> positions = std::move(*items);

  CsvTarget csv(files.output, in);
  std::optional<MapTarget> map;  // closed before the output file is left or moved into place
  if (!in.map.boundaries.isEmpty()) map.emplace(in, files.output, files.unmatched, group->offset);
  OutputTarget& target = map ? static_cast<OutputTarget&>(*map) : csv;
  if (auto failure = target.header(names, positions)) return failed(r, *failure);

  r.itemPositions = positions;
  if (in.stats) r.noNumber.assign(positions.size(), 0);
  RecordLayout layout = makeLayout(std::move(positions), in.numerify, activeKernels());
  layout.key = in.key;
  if (in.longForm) {  // ",NUMBER,\"NAME\"" before each value, once per item position
    layout.longLabels.resize(kNameSlots);
    for (int p : layout.positions) {
      std::string& text = layout.longLabels[std::size_t(p)];
      if (!text.empty()) continue;
      ByteBuffer label;
      label.push_back(',');
      label.append(std::to_string(p + group->offset));
      label.push_back(',');
      appendQuoted(label, names.lines[std::size_t(p)]);
      text = label.view();
    }
  }
  std::vector<std::string>().swap(names.lines);  // written into the header or the labels: not needed again
  const PipelineResult records = writeRecords(in, *group, files, layout, target, r, [&](long long lines, long long bytes) {
    info.lines = lines;
    info.bytes = bytes;
    if (progress) progress(info);
  });
  r.ICNT = records.lines;
  r.OCNT = 1 + records.kept * (in.longForm ? (long long)layout.positions.size() : 1);
  const auto pathOf = [&](const ByteSource* source) {
    for (std::size_t i = 0; i < files.data.size(); ++i)
      if (files.data[i].get() == source) return files.dataPaths[qsizetype(i)];
    return QString();
  };
  for (const auto& [source, line] : records.longLines) r.warnings << msg::longLine(msg::atLine(pathOf(source), line));
  if (records.failure) {
    if (!records.failedSource) return failed(r, *records.failure);
    const QString path = pathOf(records.failedSource);
    return failed(r, withPath(*records.failure, records.failedLine > 0 ? msg::atLine(path, records.failedLine) : path));
  }
  for (std::size_t i = 0; i < files.data.size(); ++i)  // a file cut short or rewritten meanwhile: records lost
    if (files.data[i]->changedSinceOpened()) return failed(r, withPath(msg::changedWhileRead(), files.dataPaths[qsizetype(i)]));
  const std::optional<Failure> finished = target.finish();
  if (map) r.warnings << map->warnings();
  if (finished) return failed(r, *finished);
  if (auto failure = in.map.unmatched.isEmpty() ? std::nullopt : files.unmatched.commit()) return failed(r, *failure);
  if (auto failure = files.output.commit()) return failed(r, *failure);
  if (map) r.joined = map->counts();
  r.end = RunEnd::Completed;
  return r;
}

}  // namespace h7
