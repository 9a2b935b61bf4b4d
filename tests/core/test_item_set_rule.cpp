// The item-set rule: the back operation of the item selection screen on the texts of its
// fifteen fields, its checks in their order.
#include <gtest/gtest.h>

#include "core/item_set_rule.h"
#include "support/testutil.h"

namespace {

using namespace h7;

TEST(ItemSetsBack, ConvertsStoresAndChecksInOrder) {
  const QString ok, below = msg::belowSmallestItem().description, above = msg::aboveLargestItem().description,
                    interval = msg::badInterval().description, order = msg::startAfterEnd().description;
  // group, typed "start,end,interval;..." for sets 1 to 5, message, NFR1..5 / NTO1..5 /
  // INT1..5 afterwards, the fields afterwards (null: as typed)
  const std::tuple<int, const char*, QString, const char*, const char*> cases[] = {
      {1, "", ok, "0 0 0 0 0 / 0 0 0 0 0 / 0 0 0 0 0", nullptr},
      {1, "1,2,3;4,5,6;7,8,9;10,11,12;13,14,15", ok, "1 4 7 10 13 / 2 5 8 11 14 / 3 6 9 12 15", nullptr},
      {2, "100", below, "100 0 0 0 0 / 0 0 0 0 0 / 0 0 0 0 0", nullptr},
      {2, ",100", below, "0 0 0 0 0 / 100 0 0 0 0 / 0 0 0 0 0", nullptr},
      {3, "3052", ok, "3052 0 0 0 0 / 3052 0 0 0 0 / 0 0 0 0 0", nullptr},
      {3, ";;;;3053", above, "0 0 0 0 3053 / 0 0 0 0 0 / 0 0 0 0 0", nullptr},
      {2, "１３６２,－３．７,ａ;　５０", below, "1362 50 0 0 0 / -3 0 0 0 0 / 0 0 0 0 0", "1362,-3.7,a; 50"},
      {1, "12.9;1e3;;;12.9,12.9", ok, "12 1000 0 0 12 / 12 1000 0 0 12 / 0 0 0 0 0", nullptr},
      {1, ";,,-1", interval, "0 0 0 0 0 / 0 0 0 0 0 / 0 -1 0 0 0", nullptr},
      // The checks in their order, each over all five sets.
      {2, "9999;;;;100", below, "9999 0 0 0 100 / 0 0 0 0 0 / 0 0 0 0 0", nullptr},
      {2, ",100;,9999", above, "0 0 0 0 0 / 100 9999 0 0 0 / 0 0 0 0 0", nullptr},
      {2, ";;;;,100,-1", below, "0 0 0 0 0 / 0 0 0 0 100 / 0 0 0 0 -1", nullptr},
      {1, "5,4,-1", interval, "5 0 0 0 0 / 4 0 0 0 0 / -1 0 0 0 0", nullptr},
      {1, "10,20;30,25", order, "10 30 0 0 0 / 20 25 0 0 0 / 0 0 0 0 0", nullptr},
      {1, ";30;50,40", order, "0 30 50 0 0 / 0 30 40 0 0 / 0 0 0 0 0", nullptr},  // substitution before it kept
      // A set-5 value that does not fit 16 bits stops the store there (NFR, NTO, INT in turn).
      {1, "7;;;;9e9", msg::overflow().description, "7 0 0 0 0 / 0 0 0 0 0 / 0 0 0 0 0", nullptr},
      {1, "1,1,1;1,1,1;1,1,1;1,1,1;1,-32769,1", msg::overflow().description, "1 1 1 1 1 / 1 1 1 1 0 / 0 0 0 0 0", nullptr},
      {1, "1,1,1;1,1,1;1,1,1;1,1,1;1,1,1E400", msg::overflow().description, "1 1 1 1 1 / 1 1 1 1 1 / 1 1 1 1 0", nullptr},
  };
  for (const auto& [group, typed, message, stored, shown] : cases) {
    JobParams params;
    auto fields = h7test::rowsToFields<15>(QString::fromUtf8(typed), 3);
    EXPECT_EQ(h7test::described(storeAndCheckItemSets(fields, group, params)), message) << typed;
    EXPECT_EQ(h7test::storedValues({params.NFR, params.NTO, params.INT}), stored) << typed;
    EXPECT_EQ(h7test::fieldsToRows(fields, 3), QString::fromUtf8(shown ? shown : typed)) << typed;
  }
}

}  // namespace
