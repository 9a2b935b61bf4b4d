// h7extract's arguments: any list parses to options or to a message, never both; options
// to extract have everything they need; each prefecture of a list passes the prefecture
// rule; the item sets and municipality ranges go
// through the same checks as in the command, and when those pass, every output position
// lies in the group's part of the name table.
#include <QStringList>

#include "cli/args.h"
#include "extract/groups.h"
#include "extract/itemnames.h"
#include "fuzz_util.h"
#include "items/itemsets_check.h"
#include "main/prefecture.h"
#include "municipality/ranges_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  QStringList args;
  for (std::size_t i = 0; i <= bytes.size();) {
    std::size_t end = bytes.find('\0', i);
    if (end == std::string_view::npos) end = bytes.size();
    args << QString::fromUtf8(bytes.data() + i, qsizetype(end - i));
    i = end + 1;
  }

  const h7::cli::Parsed parsed = h7::cli::parseArguments(args);
  H7_FUZZ_CHECK(parsed.options.has_value() == parsed.error.isEmpty());
  if (!parsed.options) return 0;
  const h7::cli::Options& o = *parsed.options;
  if (o.mode != h7::cli::Mode::Extract) return 0;
  H7_FUZZ_CHECK(!o.input.isNull() && !o.output.isNull() && !o.pref.isNull() && !o.items.isNull());
  const h7::TabulationGroup* group = h7::tabulationGroup(o.group);
  H7_FUZZ_CHECK(group);

  // Every prefecture of a list or range passes the field's own rule.
  if (auto prefectures = h7::cli::parsePrefectures(o.pref))
    for (const QString& p : *prefectures) H7_FUZZ_CHECK(h7::checkPrefecture(p).accepted);

  if (o.hasMunicipalities)
    if (auto ranges = h7::cli::parseMunicipalityRanges(o.municipalities)) {
      const QString message = h7::checkMunicipalityRanges(*ranges);
      H7_FUZZ_CHECK(message.isEmpty() || message == h7::rangemsg::startAfterEnd() ||
                    message == h7::rangemsg::unknownCode());
    }

  auto sets = h7::cli::parseItemSets(o.items);
  if (!sets) return 0;
  const QString message = h7::checkItemSets(*sets, h7::itemBounds(o.group));
  if (!message.isEmpty()) return 0;
  for (h7::ItemSet& s : *sets)
    if (s.interval == 0) s.interval = 1;  // as the run does
  long emitted = 0;
  const bool inTable = h7::forEachOutputItem(*sets, group->offset, [&](int p) {
    H7_FUZZ_CHECK(p >= group->smallestItem - group->offset && p <= group->largestItem - group->offset);
    H7_FUZZ_CHECK(p >= 0 && p < h7::kNameSlots);
    return ++emitted < 200000;  // enough to see the positions; a long list is not a fault
  });
  H7_FUZZ_CHECK(inTable || emitted == 200000);
  return 0;
}
