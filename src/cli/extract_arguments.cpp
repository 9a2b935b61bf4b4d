#include "cli/extract_arguments.h"

#include <QCommandLineParser>
#include <algorithm>

#include "core/command_line.h"
#include "core/half_width.h"
#include "core/item_set_rule.h"
#include "extract/item_names.h"
#include "extract/output_items.h"

namespace h7::cli {

namespace {

const QList<QCommandLineOption>& options() {
  static const QList<QCommandLineOption> all = [] {
    QList<QCommandLineOption> list;
    for (const char* name : {"input", "output", "pref", "group", "items", "items-matching", "municipalities", "names", "filter",
                             "boundaries", "boundary-layer", "boundary-key", "boundary-fields", "layer", "unmatched"})
      list << QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value"));
    for (const char* name : {"numerify", "utf8", "utf8-bom", "stats", "quiet", "list-items", "version", "key", "long",
                             "suppressed-as-zero"})
      list << QCommandLineOption(QString::fromLatin1(name));
    list << QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    return list;
  }();
  return all;
}

// Options given twice with different values, or with an empty folder, and options that
// cannot go together, in the order a user would fix them.
std::optional<Failure> checkCombinations(const QCommandLineParser& p) {
  for (const QCommandLineOption& o : options()) {
    const QString name = o.names().constLast();
    if (o.valueName().isEmpty() || !p.isSet(name)) continue;
    QStringList values = p.values(name);
    if (values.size() > 1)
      for (QString& value : values) value = comparable(name, value);
    values.removeDuplicates();
    if (values.size() > 1) return usage(msg::givenTwice(QStringLiteral("--") + name));
    if ((name == u"names" || name == u"input") && values.first().isEmpty())
      return usage(msg::missingValue(QStringLiteral("--") + name));
  }
  const bool list = p.isSet(QStringLiteral("list-items"));
  for (const char* name : {"key", "long", "boundaries"})
    if (list && p.isSet(QString::fromLatin1(name)))
      return usage(msg::notTogether(QStringLiteral("--") + QLatin1String(name), QStringLiteral("--list-items")));
  if (!list && p.isSet(QStringLiteral("filter")))
    return usage(msg::onlyWith(QStringLiteral("--filter"), QStringLiteral("--list-items")));
  if (p.isSet(QStringLiteral("utf8")) && p.isSet(QStringLiteral("utf8-bom")))
    return usage(msg::notTogether(QStringLiteral("--utf8"), QStringLiteral("--utf8-bom")));
  const bool map = p.isSet(QStringLiteral("boundaries"));
#ifndef H7_MAP
  if (map) return usage(msg::noMapSupport());
#endif
  for (const char* name : {"boundary-layer", "boundary-key", "boundary-fields", "layer", "unmatched", "suppressed-as-zero"})
    if (!map && p.isSet(QString::fromLatin1(name)))
      return usage(msg::onlyWith(QStringLiteral("--") + QLatin1String(name), QStringLiteral("--boundaries")));
  if (p.isSet(QStringLiteral("suppressed-as-zero")) && !p.isSet(QStringLiteral("numerify")))
    return usage(msg::onlyWith(QStringLiteral("--suppressed-as-zero"), QStringLiteral("--numerify")));
  for (const char* name : {"long", "utf8", "utf8-bom"})  // a GeoPackage: one row per area, UTF-8 always
    if (map && p.isSet(QString::fromLatin1(name)))
      return usage(msg::notTogether(QStringLiteral("--boundaries"), QStringLiteral("--") + QLatin1String(name)));
  return std::nullopt;
}

// The item sets of --items, cut at a FIRST of 0, then the items whose names --items-matching
// finds among the group's, checked by the item selection screen's rules.
std::optional<Failure> readItems(const QCommandLineParser& p, Invocation& in) {
  std::vector<ItemSet> sets;
  if (p.isSet(QStringLiteral("items"))) {
    auto parsed = parseItemSets(p.value(QStringLiteral("items")));
    if (!parsed) return parsed.failure();
    sets = std::move(*parsed);
    const auto zero = std::find_if(sets.begin(), sets.end(), [](const ItemSet& s) { return s.first == 0; });
    sets.erase(zero, sets.end());  // a FIRST of 0 ends the --items list only
  }
  if (p.isSet(QStringLiteral("items-matching"))) {
    const QString key = p.value(QStringLiteral("items-matching"));
    if (trimBlanks(halfWidth(key)).isEmpty()) return usage(msg::emptyMatchKey());
    const auto list = loadItemList(in.run.nameFolders, in.run.group, key);  // the item list's filter search
    if (!list) return list.failure();
    const double largest = itemBounds(in.run.group).largest;  // a name file may hold lines past the group's items
    const std::size_t before = sets.size();
    for (const ItemListEntry& e : *list)
      if (e.number <= largest) sets.push_back({double(e.number), 0, 0});
    if (sets.size() == before) return rejected(msg::nothingMatches(key));
  }
  if (auto failure = checkItemSets(sets, itemBounds(in.run.group))) return rejected(*failure);
  // The output items, once: a list too long to write is refused before any file is touched.
  if (!sets.empty()) {
    auto items = outputItemPositions(sets, tabulationGroup(in.run.group)->offset);
    if (!items && items.failure() == msg::tooManyItems((long long)kMaxOutputItems)) return rejected(items.failure());
    if (items) in.run.itemPositions = std::move(*items);
  }
  in.run.itemSets = std::move(sets);
  return std::nullopt;
}

// The values of an extraction: prefectures, item sets and municipality ranges, checked.
std::optional<Failure> readRunValues(const QCommandLineParser& p, Invocation& in) {
  auto list = parsePrefectures(p.value(QStringLiteral("pref")));
  if (!list) return list.failure();
  in.allPrefectures = list->all;
  in.run.prefectures = list->named;
  if (auto failure = readItems(p, in)) return failure;
  if (!p.isSet(QStringLiteral("municipalities"))) return std::nullopt;
  auto ranges = parseMunicipalityRanges(p.value(QStringLiteral("municipalities")));
  if (!ranges) return ranges.failure();
  in.run.municipalityFilter = true;
  in.run.municipalities = std::move(*ranges);
  return std::nullopt;
}

// --boundaries: a GeoPackage output of no more items than a GeoPackage layer holds; the
// run writes KEY_CODE, the join key.
std::optional<Failure> readMapRequest(const QCommandLineParser& p, Invocation& in) {
  MapRequest& map = in.run.map;
  map.boundaries = p.value(QStringLiteral("boundaries"));
  if (map.boundaries.isEmpty()) return usage(msg::missingValue(QStringLiteral("--boundaries")));
  if (!in.run.outputFile.endsWith(QLatin1String(".gpkg"), Qt::CaseInsensitive)) return usage(msg::mapNeedsGpkg());
  map.layer = p.value(QStringLiteral("boundary-layer"));
  if (p.isSet(QStringLiteral("boundary-key"))) map.keyField = p.value(QStringLiteral("boundary-key"));
  for (const char* name : {"boundary-key", "boundary-fields", "layer", "unmatched"})
    if (p.isSet(QString::fromLatin1(name)) && p.value(QString::fromLatin1(name)).isEmpty())
      return usage(msg::missingValue(QStringLiteral("--") + QLatin1String(name)));
  const QString fields = p.value(QStringLiteral("boundary-fields"));
  map.allFields = fields == u"all";
  if (!fields.isEmpty() && !map.allFields) map.fields = fields.split(u',');
  if (map.fields.contains(QString())) return usage(msg::missingValue(QStringLiteral("--boundary-fields")));
  map.outputLayer = p.value(QStringLiteral("layer"));
  map.unmatched = p.value(QStringLiteral("unmatched"));
  if (map.unmatched == in.run.outputFile) return rejected(withPath(msg::sameAsInput(), map.unmatched));
  map.suppressedAsZero = p.isSet(QStringLiteral("suppressed-as-zero"));
  if (in.run.itemPositions && in.run.itemPositions->size() > std::size_t(kMostMapItems))
    return rejected(msg::tooManyColumns(kMostMapItems));
  in.run.key = true;
  return std::nullopt;
}

}  // namespace

Result<Invocation> readInvocation(const QStringList& args, const QString& programFolder) {
  QCommandLineParser p;
  if (auto failure = readCommandLine(p, options(), args, {msg::unknownOption, msg::missingValue, msg::strayArgument}))
    return *failure;
  Invocation in;
  if (p.isSet(QStringLiteral("help"))) in.mode = Mode::Help;
  else if (p.isSet(QStringLiteral("version"))) in.mode = Mode::Version;
  if (in.mode != Mode::Extract) return in;
  if (auto failure = checkCombinations(p)) return *failure;

  const QString group = strictNumber(p.value(QStringLiteral("group")));
  if (!p.isSet(QStringLiteral("group"))) return usage(msg::optionsRequired(QStringLiteral("--group")));
  if (group.isNull() || !tabulationGroup(group.toInt())) return usage(msg::badGroup());
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
  if (!missing.isEmpty()) return usage(msg::optionsRequired(missing.join(u' ')));
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
  if (p.isSet(QStringLiteral("boundaries")))
    if (auto failure = readMapRequest(p, in)) return *failure;
  return in;
}

}  // namespace h7::cli
