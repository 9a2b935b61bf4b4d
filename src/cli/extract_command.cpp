#include "cli/extract_command.h"

#include <QElapsedTimer>
#include <unistd.h>

#include "cli/extract_arguments.h"
#include "cli/version.h"
#include "extract/files.h"
#include "extract/item_names.h"
#include "extract/kernels/choice.h"
#include "extract/map_module.h"

namespace h7::cli {

namespace {

void print(std::FILE* f, const QString& text) {
  QByteArray utf8 = text.toUtf8();
  std::fwrite(utf8.constData(), 1, std::size_t(utf8.size()), f);
  std::fflush(f);
}

int listItems(const Invocation& in, std::FILE* out, std::FILE* err) {
  const auto list = loadItemList(in.run.nameFolders, in.run.group, in.filter);
  if (!list) {
    print(err, itemListMessage(list.failure()) + u'\n');
    return 1;
  }
  QString text;
  for (const ItemListEntry& e : *list) text += QString::number(e.number) + u'\t' + e.name + u'\n';
  print(out, text);
  return 0;
}

// A progress line on a terminal, at most ten times a second.
class ProgressLine {
 public:
  ProgressLine(std::FILE* err, bool enabled) : err_(err), enabled_(enabled) { clock_.start(); }
  void update(const RunProgressInfo& p) {
    const qint64 ms = clock_.elapsed();
    if (!enabled_ || ms < next_) return;
    next_ = ms + 100;
    const double mbPerSecond = ms > 0 ? double(p.bytes) / 1e3 / double(ms) : 0;
    const int percent = p.totalBytes > 0 ? int(100 * p.bytes / p.totalBytes) : 0;
    print(err_, u'\r' + msg::progressLine().arg(p.lines).arg(percent, 3).arg(mbPerSecond, 0, 'f', 1) + "\033[K");
    shown_ = true;
  }
  void finish() {
    if (shown_) print(err_, QStringLiteral("\r\033[K"));
  }

 private:
  std::FILE* err_;
  bool enabled_;
  bool shown_ = false;
  qint64 next_ = 0;
  QElapsedTimer clock_;
};

// Per output item with values that held no number: item number and count.
QString statsReport(const RunResult& r, int offset) {
  QString text = msg::statsHeading() + u'\n';
  long long total = 0;
  for (std::size_t i = 0; i < r.noNumber.size(); ++i) {
    if (r.noNumber[i] == 0) continue;
    total += r.noNumber[i];
    text += QStringLiteral("  %1: %2\n").arg(r.itemPositions[i] + offset).arg(r.noNumber[i]);
  }
  return text + msg::statsTotal().arg(total) + u'\n';
}

}  // namespace

int runCommand(const QStringList& args, const QString& programFolder, std::FILE* out, std::FILE* err) {
  Result<Invocation> in = readInvocation(args, programFolder);
  if (!in) {
    print(err, errorMessage(in.failure()) + u'\n');
    return exitStatus(in.failure());
  }
  switch (in->mode) {
    case Mode::Help: print(out, msg::extractHelp()); return 0;
    case Mode::Version: printVersion(out, activeKernels().name()); return 0;
    case Mode::ListItems: return listItems(*in, out, err);
    case Mode::Extract: break;
  }
  if (!in->run.map.boundaries.isEmpty() && !mapModule().api) {  // a map: GDAL's module loaded now, and only now
    const Failure failure = mapModuleFailure(mapModule());
    print(err, errorMessage(failure) + u'\n');
    return exitStatus(failure);
  }
  const TabulationGroup& group = *tabulationGroup(in->run.group);
  if (in->allPrefectures) {  // every file present, and those named besides, in order
    const Result<QStringList> found = prefecturesFound(in->run.inputFolder, group);
    if (!found) {
      print(err, errorMessage(found.failure()) + u'\n');
      return exitStatus(found.failure());
    }
    in->run.prefectures += *found;
    in->run.prefectures.sort();
    in->run.prefectures.removeDuplicates();
    if (in->run.prefectures.isEmpty()) {
      const QString pattern = in->run.inputFolder + QStringLiteral(": ") + censusDataPattern(group);
      print(err, errorMessage(withPath(msg::fileNotFound(), pattern)) + u'\n');
      return 1;
    }
  }
  // No output replaces an item-name file of any folder the look-up searches, --names or not.
  const QStringList nameFolders = itemNameFolders(programFolder, in->run.inputFolder) + in->run.nameFolders;
  if (auto refused = refuseOutputOverInputs(in->run.outputFile, in->run.outputDescriptor, {}, nameFolders)) {
    print(err, errorMessage(*refused) + u'\n');
    return exitStatus(*refused);
  }
  ProgressLine progress(err, !in->quiet && ::isatty(::fileno(err)));
  RunResult result = runExtraction(in->run, [&](const RunProgressInfo& p) { progress.update(p); });
  progress.finish();
  QString joined;  // a map's join counts, after the completion message
  if (const auto& c = result.joined)
    joined = msg::joinCounts().arg(c->joined).arg(c->noBoundary).arg(c->noData).arg(c->mergedAreas).arg(c->mergedFeatures) +
             u'\n';
  for (const QString& warning : result.warnings) print(err, warning + u'\n');  // --quiet or not
  print(err, result.message() + u'\n' + joined);
  if (in->run.stats && result.end == RunEnd::Completed) print(err, statsReport(result, group.offset));
  return result.end == RunEnd::Completed ? 0 : result.failure ? exitStatus(*result.failure) : 1;
}

}  // namespace h7::cli
