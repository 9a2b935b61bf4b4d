#include "cli/extract_command.h"

#include <QDir>
#include <QElapsedTimer>
#include <unistd.h>

#include "cli/args.h"
#include "common/numeric.h"
#include "extract/groups.h"
#include "extract/run.h"
#include "items/item_list.h"
#include "items/itemsets_check.h"
#include "main/prefecture.h"
#include "municipality/ranges_check.h"

namespace h7::cli {

namespace {

void print(std::FILE* f, const QString& text) {
  QByteArray utf8 = text.toUtf8();
  std::fwrite(utf8.constData(), 1, std::size_t(utf8.size()), f);
  std::fflush(f);
}

int listItems(const Options& o, const QString& namesFolder, std::FILE* out, std::FILE* err) {
  const ItemList list = buildItemList(namesFolder, o.group, o.filter);
  if (list.failure) {
    print(err, itemListMessage(*list.failure) + u'\n');
    return 1;
  }
  QString text;
  for (const ItemListEntry& e : list.entries) text += QString::number(e.number) + u'\t' + e.name + u'\n';
  print(out, text);
  return 0;
}

// The prefectures of the group's census data files in a folder, in order.
QStringList prefecturesFound(const QString& folder, const TabulationGroup& group) {
  QStringList found;
  const QString suffix = QLatin1String(group.dataSuffix);
  for (const QString& name : QDir(folder).entryList(QDir::Files)) {
    if (name.size() != 3 + 2 + suffix.size() || !name.startsWith(QLatin1String("H7S"), Qt::CaseInsensitive) ||
        !name.endsWith(suffix, Qt::CaseInsensitive))
      continue;
    const QString pref = name.mid(3, 2).toUpper();
    if (checkPrefecture(pref).accepted && !found.contains(pref)) found << pref;
  }
  found.sort();
  return found;
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
    std::fprintf(err_, "\r読み込み行数 %lld  %3d%%  %.1f MB/s\033[K", p.lines, percent, mbPerSecond);
    std::fflush(err_);
    shown_ = true;
  }
  void finish() {
    if (shown_) std::fputs("\r\033[K", err_);
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
  QString text = QStringLiteral("数値を含まず 0 とした値 (項目番号: 件数)\n");
  long long total = 0;
  for (std::size_t i = 0; i < r.noNumber.size(); ++i) {
    if (r.noNumber[i] == 0) continue;
    total += r.noNumber[i];
    text += QStringLiteral("  %1: %2\n").arg(r.itemPositions[i] + offset).arg(r.noNumber[i]);
  }
  return text + QStringLiteral("  合計: %1\n").arg(total);
}

}  // namespace

int runCommand(const QStringList& args, const QString& programFolder, std::FILE* out, std::FILE* err) {
  const Parsed parsed = parseArguments(args);
  if (!parsed.options) {
    print(err, parsed.error + QStringLiteral("\n'h7extract --help' で使い方を表示します。\n"));
    return 2;
  }
  const Options& o = *parsed.options;
  if (o.mode == Mode::Help) {
    print(out, usage());
    return 0;
  }
  if (o.mode == Mode::Version) {
    print(out, QStringLiteral("h7extract " H7_VERSION "\n"));
    return 0;
  }
  const QString namesFolder = o.names.isNull() ? programFolder : o.names;
  if (o.mode == Mode::ListItems) return listItems(o, namesFolder, out, err);

  RunInputs in;
  in.inputFolder = o.input;
  in.outputFile = o.output;
  in.group = o.group;
  in.numerify = o.numerify;
  in.programFolder = namesFolder;
  in.utf8 = o.utf8;
  in.utf8Bom = o.utf8Bom;
  in.stats = o.stats;

  if (isAllPrefectures(o.pref)) {
    in.prefectures = prefecturesFound(o.input, *tabulationGroup(o.group));
    if (in.prefectures.isEmpty()) {
      print(err, QStringLiteral("ERROR  ファイルが見つかりません。 (") + o.input + QStringLiteral(": H7S??S") +
                     QString::number(o.group) + QStringLiteral(".DAT)\n"));
      return 1;
    }
  } else if (auto list = parsePrefectures(o.pref)) {
    in.prefectures = *list;
  } else {
    print(err, prefectureErrorMessage() + u'\n');
    return 2;
  }

  auto sets = parseItemSets(o.items);
  if (!sets) {
    print(err, QStringLiteral("--items の形式が正しくありません: ") + o.items + u'\n');
    return 2;
  }
  const TabulationGroup& group = *tabulationGroup(o.group);
  if (QString message = checkItemSets(*sets, {double(group.smallestItem), double(group.largestItem)});
      !message.isEmpty()) {
    print(err, message + u'\n');
    return 2;
  }
  in.itemSets = std::move(*sets);

  if (o.hasMunicipalities) {
    auto ranges = parseMunicipalityRanges(o.municipalities);
    if (!ranges) {
      print(err, QStringLiteral("--municipalities の形式が正しくありません: ") + o.municipalities + u'\n');
      return 2;
    }
    if (QString message = checkMunicipalityRanges(*ranges); !message.isEmpty()) {
      print(err, message + u'\n');
      return 2;
    }
    in.municipalityFilter = true;
    in.municipalities = std::move(*ranges);
  }

  ProgressLine progress(err, !o.quiet && ::isatty(::fileno(err)));
  const RunResult result = runExtraction(in, [&](const RunProgressInfo& p) { progress.update(p); });
  progress.finish();
  print(err, result.message + u'\n');
  if (o.stats && result.end == RunEnd::Completed) print(err, statsReport(result, group.offset));
  return result.end == RunEnd::Completed ? 0 : 1;
}

}  // namespace h7::cli
