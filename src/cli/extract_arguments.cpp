#include "cli/extract_arguments.h"

#include <QCommandLineParser>
#include <QDir>

#include "core/command_line.h"
#include "core/half_width.h"
#include "core/item_set_rule.h"
#include "core/municipality_rule.h"
#include "core/numeric.h"
#include "core/prefecture_rule.h"
#include "extract/item_names.h"
#include "extract/output_items.h"

namespace h7::cli {

namespace {

// Splits "FIRST-LAST" at a minus sign that is not the first character.
std::pair<QString, QString> splitRange(const QString& text) {
  qsizetype dash = text.indexOf(u'-', 1);
  if (dash < 0) return {text, QString()};
  return {text.left(dash), text.mid(dash + 1)};
}

// A usage mistake: the description, then how to see the usage.
Failure usageFailure(const Failure& f) { return {f.description + u'\n' + msg::helpHint()}; }
// A value the rules of the screens reject: "ERROR  " and the description.
Failure ruleFailure(const Failure& f) { return {errorMessage(f)}; }

const QList<QCommandLineOption>& options() {
  static const QList<QCommandLineOption> all = [] {
    QList<QCommandLineOption> list;
    for (const char* name : {"input", "output", "pref", "group", "items", "items-matching", "municipalities", "names", "filter"})
      list << QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value"));
    for (const char* name : {"numerify", "utf8", "utf8-bom", "stats", "quiet", "list-items", "version", "key", "long"})
      list << QCommandLineOption(QString::fromLatin1(name));
    list << QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    return list;
  }();
  return all;
}

// The values of an extraction: prefectures, item sets and municipality ranges, checked.
std::optional<Failure> readRunValues(const QCommandLineParser& p, Invocation& in) {
  const QString pref = p.value(QStringLiteral("pref"));
  in.allPrefectures = pref.trimmed().compare(QLatin1String("all"), Qt::CaseInsensitive) == 0;
  if (!in.allPrefectures) {
    auto list = parsePrefectures(pref);
    if (!list) return ruleFailure(msg::badPrefecture());
    in.run.prefectures = *list;
  }
  std::vector<ItemSet> sets;
  if (const QString items = p.value(QStringLiteral("items")); p.isSet(QStringLiteral("items"))) {
    auto parsed = parseItemSets(items);
    if (!parsed) return msg::badItemSets(items);
    sets = std::move(*parsed);
  }
  if (const QString key = p.value(QStringLiteral("items-matching")); p.isSet(QStringLiteral("items-matching"))) {
    const auto list = loadItemList(in.run.nameFolders, in.run.group, key);  // the item list's filter search
    if (!list) return ruleFailure(list.failure());
    if (list->empty()) return msg::nothingMatches(key);
    for (const ItemListEntry& e : *list) sets.push_back({double(e.number), 0, 0});
  }
  if (auto failure = checkItemSets(sets, itemBounds(in.run.group))) return ruleFailure(*failure);
  std::vector<ItemSet> counted = sets;  // a list too long to write is refused before any file is touched
  if (!counted.empty() && counted.front().first != 0)
    if (auto items = outputItemPositions(counted, tabulationGroup(in.run.group)->offset);
        !items && items.failure() == msg::tooManyItems((long long)kMaxOutputItems))
      return ruleFailure(items.failure());
  in.run.itemSets = std::move(sets);
  if (!p.isSet(QStringLiteral("municipalities"))) return std::nullopt;
  const QString text = p.value(QStringLiteral("municipalities"));
  auto ranges = parseMunicipalityRanges(text);
  if (!ranges) return msg::badRanges(text);
  if (auto failure = checkMunicipalityRanges(*ranges)) return ruleFailure(*failure);
  in.run.municipalityFilter = true;
  in.run.municipalities = std::move(*ranges);
  return std::nullopt;
}

}  // namespace

Result<Invocation> readInvocation(const QStringList& args, const QString& programFolder) {
  QCommandLineParser p;
  if (auto problem = readCommandLine(p, options(), args))
    return usageFailure(problem->kind == ArgumentProblem::Unknown ? msg::unknownOption(problem->argument)
                                                                  : msg::missingValue(problem->argument));
  Invocation in;
  if (p.isSet(QStringLiteral("help"))) in.mode = Mode::Help;
  else if (p.isSet(QStringLiteral("version"))) in.mode = Mode::Version;
  if (in.mode != Mode::Extract) return in;

  const QString group = p.value(QStringLiteral("group"));
  if (!p.isSet(QStringLiteral("group"))) return usageFailure(msg::optionsRequired(QStringLiteral("--group")));
  if (group != u"1" && group != u"2" && group != u"3") return usageFailure(msg::badGroup());
  in.run.group = group.toInt();
  in.run.inputFolder = p.value(QStringLiteral("input"));
  in.run.nameFolders = p.isSet(QStringLiteral("names")) ? QStringList{p.value(QStringLiteral("names"))}
                                                        : itemNameFolders(programFolder, in.run.inputFolder);
  if (p.isSet(QStringLiteral("list-items"))) {
    in.mode = Mode::ListItems;
    in.filter = p.value(QStringLiteral("filter"));
    return in;
  }

  QStringList missing;
  for (const char* name : {"input", "output", "pref"})
    if (!p.isSet(QString::fromLatin1(name))) missing << QStringLiteral("--") + QLatin1String(name);
  if (!p.isSet(QStringLiteral("items")) && !p.isSet(QStringLiteral("items-matching"))) missing << QStringLiteral("--items");
  if (!missing.isEmpty()) return usageFailure(msg::optionsRequired(missing.join(u' ')));
  in.run.outputFile = p.value(QStringLiteral("output"));
  if (in.run.outputFile == u"-") in.run.outputDescriptor = 1;  // standard output
  in.run.key = p.isSet(QStringLiteral("key"));
  in.run.longForm = p.isSet(QStringLiteral("long"));
  in.run.numerify = p.isSet(QStringLiteral("numerify"));
  in.run.utf8Bom = p.isSet(QStringLiteral("utf8-bom"));
  in.run.utf8 = in.run.utf8Bom || p.isSet(QStringLiteral("utf8"));
  in.run.stats = p.isSet(QStringLiteral("stats"));
  in.quiet = p.isSet(QStringLiteral("quiet"));
  if (auto failure = readRunValues(p, in)) return *failure;
  return in;
}

std::optional<std::vector<ItemSet>> parseItemSets(const QString& text) {
  std::vector<ItemSet> sets;
  for (const QString& part : text.split(u',')) {
    const QString set = halfWidth(part.trimmed());
    const qsizetype colon = set.indexOf(u':');
    auto [first, last] = splitRange(colon < 0 ? set : set.left(colon));
    const QString interval = colon < 0 ? QString() : set.mid(colon + 1);
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
    if (from.failure) return std::nullopt;
    if (last.isNull()) {
      list << from.text;
      continue;
    }
    const PrefectureCheck to = checkPrefecture(last);
    if (to.failure || from.text == u"TT" || to.text == u"TT") return std::nullopt;
    const int a = int(numericValue(from.text)), b = int(numericValue(to.text));
    if (a > b) return std::nullopt;
    for (int n = a; n <= b; ++n) list << QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
  }
  return list;
}

QStringList prefecturesFound(const QString& folder, const TabulationGroup& group) {
  QStringList found;
  const QString suffix = QLatin1String(group.dataSuffix);
  for (const QString& name : QDir(folder).entryList(QDir::Files)) {
    if (name.size() != 3 + 2 + suffix.size() || !name.startsWith(QLatin1String("H7S"), Qt::CaseInsensitive) ||
        !name.endsWith(suffix, Qt::CaseInsensitive))
      continue;
    const QString pref = name.mid(3, 2).toUpper();
    if (!checkPrefecture(pref).failure && !found.contains(pref)) found << pref;
  }
  found.sort();
  return found;
}

QString usage() {
  return QStringLiteral(
      "使い方 / Usage:\n"
      "  h7extract --input DIR --output FILE|- --pref NN --group 1|2|3 --items SETS\n"
      "            [--items-matching KEY] [--municipalities RANGES] [--numerify] [--key] [--long]\n"
      "            [--names DIR] [--utf8|--utf8-bom] [--stats] [--quiet]\n"
      "  h7extract --list-items [--filter KEY] --group 1|2|3 [--names DIR] [--input DIR]\n"
      "\n"
      "Extracts items of a census data file (DIR/H7S<NN>S<group>.DAT) into a CSV file.\n"
      "\n"
      "  --input DIR        folder of the census data files\n"
      "                     e.g. --input /data/h7\n"
      "  --output FILE      CSV file to write; replaced only when the run completes;\n"
      "                     - writes to standard output   e.g. --output tokyo.csv   --output -\n"
      "  --pref NN          prefecture number 01-47 or TT (normalised like the screen field),\n"
      "                     or a list and ranges, or all: one output, prefectures in order\n"
      "                     e.g. --pref 13   --pref 5 (05)   --pref 01-47   --pref 13,14   --pref all\n"
      "  --group 1|2|3      tabulation group: 1 = tables 004-013 (items 1-1361),\n"
      "                     2 = 014-017 (1362-2375), 3 = 018-020 (2376-3052)\n"
      "  --items SETS       item sets FIRST[-LAST][:INTERVAL], comma-separated, in output order;\n"
      "                     a FIRST of 0 ends the list\n"
      "                     e.g. --items 1-991:10,1200   (1, 11, ..., 991, then 1200)\n"
      "  --items-matching KEY\n"
      "                     also every item whose name contains KEY (the --filter rule), in\n"
      "                     item order, after the --items sets; one of the two is needed\n"
      "                     e.g. --items-matching 世帯\n"
      "  --municipalities RANGES\n"
      "                     keep only records whose municipality code is in a range\n"
      "                     FIRST[-LAST], comma-separated, codes 100-999\n"
      "                     e.g. --municipalities 101-105,201\n"
      "  --numerify         write numeric values (character data becomes 0) instead of raw fields\n"
      "  --key              a first column KEY_CODE: prefecture, municipality and area code in\n"
      "                     one (11 characters), the join key of small-area boundary data\n"
      "  --long             one line per area and item: the codes, item number, item name,\n"
      "                     value (for R, pandas, DuckDB); OCNT counts these lines\n"
      "  --names DIR        folder of NAMEH7S1.CCC..NAMEH7S3.CCC; without it they are looked for in\n"
      "                     this program's folder, the --input folder, ~/.local/share/h7select,\n"
      "                     /usr/local/share/h7select and /usr/share/h7select, in that order\n"
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
