// What the item selection screen cannot reach: values longer than its fields, and the
// any number of sets that h7extract checks. The screen's own cases are typed in gui_form4.
#include <gtest/gtest.h>

#include "common/numeric.h"
#include "items/itemsets_check.h"
#include "support/testutil.h"

namespace {

using namespace h7;

// A set-5 value that does not fit 16 bits stops the store there: NFR1..5, NTO1..5, INT1..5
// in that order, so the values after it keep what they held.
TEST(ItemSetsBack, Set5OverflowStopsTheStoreThere) {
  const struct {
    std::array<const char*, 3> set5;
    const char* stored;
  } cases[] = {
      {{"1", "-32769", "1"}, "1 1 1 1 1 / 1 1 1 1 7 / 7 7 7 7 7"},
      {{"1", "1", "1E400"}, "1 1 1 1 1 / 1 1 1 1 1 / 1 1 1 1 7"},
  };
  for (const auto& c : cases) {
    JobParams params;
    std::array<QString, 15> fields;
    fields.fill("7");
    ASSERT_TRUE(storeAndCheckItemSets(fields, 1, params).isEmpty());
    fields.fill("1");
    for (int i = 0; i < 3; ++i) fields[12 + i] = c.set5[i];
    EXPECT_EQ(storeAndCheckItemSets(fields, 1, params), "ERROR  " + overflowDescription());
    EXPECT_EQ(h7test::storedValues(params, {JobParams::itemFirst, JobParams::itemLast, JobParams::itemInterval}),
              c.stored);
  }
}

TEST(ItemSetsCheck, TakesAnyNumberOfSets) {
  const std::pair<ItemSet, QString> sixth[] = {  // every check reaches a sixth set
      {{6, 0, 0}, {}}, {{-1, 0, 0}, itemmsg::belowSmallest()}, {{1362, 0, 0}, itemmsg::aboveLargest()},
      {{6, 1362, 0}, itemmsg::aboveLargest()}, {{6, -1, 0}, itemmsg::belowSmallest()},
      {{6, 0, -1}, itemmsg::badInterval()}, {{9, 8, 0}, itemmsg::startAfterEnd()}};
  for (const auto& [set, message] : sixth) {
    std::vector<ItemSet> sets = {{1, 0, 0}, {2, 3, 1}, {4, 0, 2}, {5, 5, 0}, {0, 0, 0}, set};
    EXPECT_EQ(checkItemSets(sets, itemBounds(1)), message) << set.first << ' ' << set.last;
    if (message.isEmpty()) {
      EXPECT_EQ(sets[5].last, 6);
    }
  }
}

}  // namespace
