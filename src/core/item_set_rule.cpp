#include "core/item_set_rule.h"

#include <cmath>

#include "core/groups.h"
#include "core/half_width.h"
#include "core/numeric.h"

namespace h7 {

ItemBounds itemBounds(int group) {
  const TabulationGroup* g = tabulationGroup(group);
  if (!g) return {};
  return {double(g->smallestItem), double(g->largestItem)};
}

double storedItemValue(QStringView convertedText) {
  return std::trunc(numericValue(convertedText)) + 0.0;  // + 0.0: -0.4 stores 0, not -0
}

std::optional<Failure> checkItemSets(std::vector<ItemSet>& sets, ItemBounds bounds) {
  for (const ItemSet& s : sets)
    if (s.first < bounds.smallest && s.first != 0) return msg::belowSmallestItem();
  for (const ItemSet& s : sets)
    if (s.first > bounds.largest) return msg::aboveLargestItem();
  for (const ItemSet& s : sets)
    if (s.last > bounds.largest) return msg::aboveLargestItem();
  for (const ItemSet& s : sets)
    if (s.last < bounds.smallest && s.last != 0) return msg::belowSmallestItem();
  for (const ItemSet& s : sets)
    if (s.interval < 0) return msg::badInterval();
  for (ItemSet& s : sets) {
    if (s.last == 0) s.last = s.first;
    if (s.first > s.last) return msg::startAfterEnd();
  }
  return std::nullopt;
}

std::optional<Failure> storeAndCheckItemSets(std::array<QString, 15>& fields, int group, JobParams& params) {
  for (QString& f : fields) f = halfWidth(f);
  // Field 3i is the start of set i+1, 3i+1 its end, 3i+2 its interval.
  JobColumn* columns[3] = {&params.NFR, &params.NTO, &params.INT};
  for (std::size_t c = 0; c < 3; ++c)
    for (std::size_t i = 0; i < 5; ++i)
      if (auto failure = (*columns[c])[i].assign(storedItemValue(fields[3 * i + c]))) return failure;

  std::vector<ItemSet> sets = params.itemSets();
  const std::optional<Failure> failure = checkItemSets(sets, itemBounds(group));
  for (std::size_t i = 0; i < 5; ++i) params.NTO[i].assign(sets[i].last);  // end substitutions so far
  return failure;
}

}  // namespace h7
