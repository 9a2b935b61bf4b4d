#include "cli/args.h"

#include "common/halfwidth.h"
#include "common/numeric.h"
#include "items/itemsets_check.h"
#include "main/prefecture.h"

namespace h7::cli {

namespace {

// Splits "FIRST-LAST" at a minus sign that is not the first character.
std::pair<QString, QString> splitRange(const QString& text) {
  qsizetype dash = text.indexOf(u'-', 1);
  if (dash < 0) return {text, QString()};
  return {text.left(dash), text.mid(dash + 1)};
}

}  // namespace

std::optional<std::vector<ItemSet>> parseItemSets(const QString& text) {
  std::vector<ItemSet> sets;
  for (const QString& part : text.split(u',')) {
    const QString set = halfWidth(part.trimmed());
    if (set.isEmpty()) return std::nullopt;
    qsizetype colon = set.indexOf(u':');
    auto [first, last] = splitRange(colon < 0 ? set : set.left(colon));
    QString interval = colon < 0 ? QString() : set.mid(colon + 1);
    if (first.isEmpty() || (colon >= 0 && interval.isEmpty())) return std::nullopt;
    sets.push_back({storedItemValue(first), storedItemValue(last), storedItemValue(interval)});
  }
  return sets;
}

std::optional<std::vector<MunicipalityRange>> parseMunicipalityRanges(const QString& text) {
  std::vector<MunicipalityRange> ranges;
  for (const QString& part : text.split(u',')) {
    const QString range = halfWidth(part.trimmed());
    if (range.isEmpty()) return std::nullopt;
    auto [first, last] = splitRange(range);
    ranges.push_back({numericValue(first), numericValue(last)});
  }
  return ranges;
}

std::optional<QStringList> parsePrefectures(const QString& text) {
  QStringList list;
  for (const QString& part : text.split(u',')) {
    auto [first, last] = splitRange(part.trimmed());
    const PrefectureCheck from = checkPrefecture(first);
    if (!from.accepted) return std::nullopt;
    if (last.isNull()) {
      list << from.text;
      continue;
    }
    const PrefectureCheck to = checkPrefecture(last);
    if (!to.accepted || from.text == u"TT" || to.text == u"TT") return std::nullopt;
    const int a = int(numericValue(from.text)), b = int(numericValue(to.text));
    if (a > b) return std::nullopt;
    for (int n = a; n <= b; ++n) list << QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
  }
  return list;
}

Parsed parseArguments(const QStringList& args) {
  Options o;
  bool listItems = false;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    auto value = [&](QString& into) -> bool {
      if (i + 1 >= args.size()) return false;
      into = args[++i];
      return true;
    };
    QString groupText;
    bool ok = true;
    if (a == u"--help" || a == u"-h") {
      o.mode = Mode::Help;
      return {o, {}};
    } else if (a == u"--version") {
      o.mode = Mode::Version;
      return {o, {}};
    }
    else if (a == u"--input") ok = value(o.input);
    else if (a == u"--output") ok = value(o.output);
    else if (a == u"--pref") ok = value(o.pref);
    else if (a == u"--names") ok = value(o.names);
    else if (a == u"--items") ok = value(o.items);
    else if (a == u"--filter") ok = value(o.filter);
    else if (a == u"--municipalities") ok = (o.hasMunicipalities = value(o.municipalities));
    else if (a == u"--numerify") o.numerify = true;
    else if (a == u"--utf8") o.utf8 = true;
    else if (a == u"--utf8-bom") o.utf8 = o.utf8Bom = true;
    else if (a == u"--stats") o.stats = true;
    else if (a == u"--quiet") o.quiet = true;
    else if (a == u"--list-items") listItems = true;
    else if (a == u"--group") {
      ok = value(groupText);
      if (ok && (groupText == u"1" || groupText == u"2" || groupText == u"3")) o.group = groupText.toInt();
      else return {std::nullopt, QStringLiteral("--group には 1、2 または 3 を指定してください。")};
    } else {
      return {std::nullopt, QStringLiteral("不明なオプションです: ") + a};
    }
    if (!ok) return {std::nullopt, a + QStringLiteral(" に値がありません。")};
  }
  if (o.group == 0) return {std::nullopt, QStringLiteral("--group を指定してください。")};
  if (listItems) {
    o.mode = Mode::ListItems;
    return {o, {}};
  }
  QStringList missing;
  if (o.input.isNull()) missing << QStringLiteral("--input");
  if (o.output.isNull()) missing << QStringLiteral("--output");
  if (o.pref.isNull()) missing << QStringLiteral("--pref");
  if (o.items.isNull()) missing << QStringLiteral("--items");
  if (!missing.isEmpty()) return {std::nullopt, missing.join(u' ') + QStringLiteral(" を指定してください。")};
  return {o, {}};
}

QString usage() {
  return QStringLiteral(
      "使い方 / Usage:\n"
      "  h7extract --input DIR --output FILE --pref NN --group 1|2|3 --items SETS\n"
      "            [--municipalities RANGES] [--numerify] [--names DIR] [--utf8|--utf8-bom]\n"
      "            [--stats] [--quiet]\n"
      "  h7extract --list-items [--filter KEY] --group 1|2|3 [--names DIR]\n"
      "\n"
      "Extracts items of a census data file (DIR/H7S<NN>S<group>.DAT) into a CSV file.\n"
      "\n"
      "  --input DIR        folder of the census data files\n"
      "                     e.g. --input /data/h7\n"
      "  --output FILE      CSV file to write; replaced only when the run completes\n"
      "                     e.g. --output tokyo.csv\n"
      "  --pref NN          prefecture number 01-47 or TT (normalised like the screen field),\n"
      "                     or a list and ranges, or all: one output, prefectures in order\n"
      "                     e.g. --pref 13   --pref 5 (05)   --pref 01-47   --pref 13,14   --pref all\n"
      "  --group 1|2|3      tabulation group: 1 = tables 004-013 (items 1-1361),\n"
      "                     2 = 014-017 (1362-2375), 3 = 018-020 (2376-3052)\n"
      "  --items SETS       item sets FIRST[-LAST][:INTERVAL], comma-separated, in output order;\n"
      "                     a FIRST of 0 ends the list\n"
      "                     e.g. --items 1-991:10,1200   (1, 11, ..., 991, then 1200)\n"
      "  --municipalities RANGES\n"
      "                     keep only records whose municipality code is in a range\n"
      "                     FIRST[-LAST], comma-separated, codes 100-999\n"
      "                     e.g. --municipalities 101-105,201\n"
      "  --numerify         write numeric values (character data becomes 0) instead of raw fields\n"
      "  --names DIR        folder of NAMEH7S1.CCC..NAMEH7S3.CCC (default: this program's folder)\n"
      "                     e.g. --names /opt/h7select\n"
      "  --utf8             write UTF-8 instead of Shift-JIS\n"
      "  --utf8-bom         UTF-8 with a byte order mark first (for spreadsheet programs)\n"
      "  --stats            after the run, per output item: how many values held no number\n"
      "                     (numerified to 0: suppressed or blank data)\n"
      "  --quiet            no progress line\n"
      "  --list-items       print the item numbers and names of a group (number TAB name)\n"
      "  --filter KEY       with --list-items: only names containing KEY (half-width\n"
      "                     characters in KEY are widened)   e.g. --filter 世帯\n"
      "\n"
      "Exit status: 0 completed, 1 the run failed, 2 bad arguments or a rejected value.\n");
}

}  // namespace h7::cli
