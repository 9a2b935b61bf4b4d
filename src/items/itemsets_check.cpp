#include "items/itemsets_check.h"

#include <cmath>

#include "common/halfwidth.h"
#include "common/numeric.h"
#include "extract/groups.h"

namespace h7 {

ItemBounds itemBounds(int group) {
  const TabulationGroup* g = tabulationGroup(group);
  if (!g) return {};
  return {double(g->smallestItem), double(g->largestItem)};
}

double storedItemValue(QStringView convertedText) {
  return std::trunc(numericValue(convertedText)) + 0.0;  // + 0.0: -0.4 stores 0, not -0
}

QString checkItemSets(std::vector<ItemSet>& sets, ItemBounds bounds) {
  for (const ItemSet& s : sets)
    if (s.first < bounds.smallest && s.first != 0) return itemmsg::belowSmallest();
  for (const ItemSet& s : sets)
    if (s.first > bounds.largest) return itemmsg::aboveLargest();
  for (const ItemSet& s : sets)
    if (s.last > bounds.largest) return itemmsg::aboveLargest();
  for (const ItemSet& s : sets)
    if (s.last < bounds.smallest && s.last != 0) return itemmsg::belowSmallest();
  for (const ItemSet& s : sets)
    if (s.interval < 0) return itemmsg::badInterval();
  for (ItemSet& s : sets) {
    if (s.last == 0) s.last = s.first;
    if (s.first > s.last) return itemmsg::startAfterEnd();
  }
  return {};
}

QString storeAndCheckItemSets(std::array<QString, 15>& fields, int group, JobParams& params) {
  const ItemBounds bounds = itemBounds(group);
  for (QString& f : fields) f = halfWidth(f);

  // Field 3i is the start of set i+1, 3i+1 its end, 3i+2 its interval.
  constexpr JobValue JobParams::*const* columns[3] = {JobParams::itemFirst, JobParams::itemLast,
                                                       JobParams::itemInterval};
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 5; ++i)
      if (!(params.*columns[c][i]).assign(storedItemValue(fields[3 * i + c])))
        return QStringLiteral("ERROR  ") + overflowDescription();

  std::vector<ItemSet> sets = params.itemSets();
  QString message = checkItemSets(sets, bounds);
  for (int i = 0; i < 5; ++i) (params.*JobParams::itemLast[i]).assign(sets[i].last);  // end substitutions so far
  return message;
}

}  // namespace h7
