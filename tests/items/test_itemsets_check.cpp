#include <gtest/gtest.h>

#include <QStringList>

#include "common/numeric.h"
#include "items/itemsets_check.h"

namespace {

using namespace h7;

// "start,end,interval;start,..." for sets 1 to 5 (Text1..Text15); missing fields are empty.
std::array<QString, 15> fields(const char* texts) {
  std::array<QString, 15> f;
  const QStringList sets = QString::fromUtf8(texts).split(u';');
  for (qsizetype i = 0; i < sets.size() && i < 5; ++i) {
    const QStringList parts = sets[i].split(u',');
    for (qsizetype j = 0; j < parts.size() && j < 3; ++j) f[3 * i + j] = parts[j];
  }
  return f;
}

// "NFR1..5 / NTO1..5 / INT1..5" in canonical form.
std::string stored(const JobParams& p) {
  std::string s;
  for (auto column : {JobParams::itemFirst, JobParams::itemLast, JobParams::itemInterval}) {
    if (!s.empty()) s += " / ";
    for (int i = 0; i < 5; ++i) {
      if (i) s += ' ';
      s += canonicalNumber(p.*column[i]);
    }
  }
  return s;
}

std::string run(const char* texts, int group, JobParams& params) {
  auto f = fields(texts);
  return storeAndCheckItemSets(f, group, params).toStdString();
}

const std::string kOk;
const std::string kBelow = itemmsg::belowSmallest().toStdString();
const std::string kAbove = itemmsg::aboveLargest().toStdString();
const std::string kInterval = itemmsg::badInterval().toStdString();
const std::string kStartAfterEnd = itemmsg::startAfterEnd().toStdString();
const std::string kOverflow = (QStringLiteral("ERROR  ") + overflowDescription()).toStdString();

TEST(ItemSetsBack, StoresThenChecksInOrder) {
  const struct {
    int group;
    const char* fields;
    const std::string& message;
    const char* stored;
  } cases[] = {
      {1, "", kOk, "0 0 0 0 0 / 0 0 0 0 0 / 0 0 0 0 0"},
      {1, "5", kOk, "5 0 0 0 0 / 5 0 0 0 0 / 0 0 0 0 0"},
      {2, "100", kBelow, "100 0 0 0 0 / 0 0 0 0 0 / 0 0 0 0 0"},
      {2, ",100", kBelow, "0 0 0 0 0 / 100 0 0 0 0 / 0 0 0 0 0"},
      {1, ",100", kOk, "0 0 0 0 0 / 100 0 0 0 0 / 0 0 0 0 0"},
      {3, "3052", kOk, "3052 0 0 0 0 / 3052 0 0 0 0 / 0 0 0 0 0"},
      {3, "3053", kAbove, "3053 0 0 0 0 / 0 0 0 0 0 / 0 0 0 0 0"},
      {1, "12.9,-3.7,1e1", kBelow, "12 0 0 0 0 / -3 0 0 0 0 / 10 0 0 0 0"},
      {1, "1e3,1D3,-0.5", kOk, "1000 0 0 0 0 / 1000 0 0 0 0 / 0 0 0 0 0"},
      {1, "1,,-1", kInterval, "1 0 0 0 0 / 0 0 0 0 0 / -1 0 0 0 0"},
      {1, ";,,-1", kInterval, "0 0 0 0 0 / 0 0 0 0 0 / 0 -1 0 0 0"},  // unused sets are checked too
      {1, "1,,０", kOk, "1 0 0 0 0 / 1 0 0 0 0 / 0 0 0 0 0"},
      {1, "1,,－２", kInterval, "1 0 0 0 0 / 0 0 0 0 0 / -2 0 0 0 0"},
      {1, "-5", kBelow, "-5 0 0 0 0 / 0 0 0 0 0 / 0 0 0 0 0"},
      {0, "", kOk, "0 0 0 0 0 / 0 0 0 0 0 / 0 0 0 0 0"},  // no group: bounds 0 and 0
      {0, "5", kAbove, "5 0 0 0 0 / 0 0 0 0 0 / 0 0 0 0 0"},
      {1, "2000", kAbove, "2000 0 0 0 0 / 0 0 0 0 0 / 0 0 0 0 0"},
      {2, "2000", kOk, "2000 0 0 0 0 / 2000 0 0 0 0 / 0 0 0 0 0"},
      // each check runs over all five sets before the next check
      {2, ",9999;;;;100", kBelow, "0 0 0 0 100 / 9999 0 0 0 0 / 0 0 0 0 0"},
      {2, ",100;;;;9999", kAbove, "0 0 0 0 9999 / 100 0 0 0 0 / 0 0 0 0 0"},
      {1, ",2000,-1", kAbove, "0 0 0 0 0 / 2000 0 0 0 0 / -1 0 0 0 0"},
      {1, "5,4,-1", kInterval, "5 0 0 0 0 / 4 0 0 0 0 / -1 0 0 0 0"},
      // end substitution set by set; a failure keeps those made before it
      {1, "10,20;30,25", kStartAfterEnd, "10 30 0 0 0 / 20 25 0 0 0 / 0 0 0 0 0"},
      {1, ";30;50,40;;60", kStartAfterEnd, "0 30 50 0 60 / 0 30 40 0 0 / 0 0 0 0 0"},
      {1, ";;;;30", kOk, "0 0 0 0 30 / 0 0 0 0 30 / 0 0 0 0 0"},  // sets after an unused one too
      // set 5 is truncated before it meets the 16-bit limit, not rounded
      {3, ";;;;-3.7,12.9,32767.9", kBelow, "0 0 0 0 -3 / 0 0 0 0 12 / 0 0 0 0 32767"},
  };
  for (const auto& c : cases) {
    JobParams params;
    EXPECT_EQ(run(c.fields, c.group, params), c.message) << c.group << ' ' << c.fields;
    EXPECT_EQ(stored(params), c.stored) << c.group << ' ' << c.fields;
  }
}

TEST(ItemSetsBack, FieldsKeepTheirHalfWidthText) {
  JobParams params;
  auto f = fields("１２,　５０,ａ;ｶﾞ");
  EXPECT_TRUE(storeAndCheckItemSets(f, 1, params).isEmpty());
  EXPECT_EQ(f[0], QStringLiteral("12"));
  EXPECT_EQ(f[1], QStringLiteral(" 50"));  // not trimmed
  EXPECT_EQ(f[2], QStringLiteral("a"));
  EXPECT_EQ(f[3], QStringLiteral("ｶﾞ"));
  EXPECT_EQ(stored(params), "12 0 0 0 0 / 50 0 0 0 0 / 0 0 0 0 0");
}

TEST(ItemSetsBack, Set5OverflowStopsTheStoreThere) {
  const struct {
    const char* fields;
    const char* stored;
  } cases[] = {
      {"1,1,1;1,1,1;1,1,1;1,1,1;9e9,1,1", "1 1 1 1 7 / 7 7 7 7 7 / 7 7 7 7 7"},
      {"1,1,1;1,1,1;1,1,1;1,1,1;1,-32769,1", "1 1 1 1 1 / 1 1 1 1 7 / 7 7 7 7 7"},
      {"1,1,1;1,1,1;1,1,1;1,1,1;1,1,1E400", "1 1 1 1 1 / 1 1 1 1 1 / 1 1 1 1 7"},
  };
  for (const auto& c : cases) {
    JobParams params;
    ASSERT_EQ(run("7,7,7;7,7,7;7,7,7;7,7,7;7,7,7", 1, params), kOk);
    EXPECT_EQ(run(c.fields, 1, params), kOverflow) << c.fields;
    EXPECT_EQ(stored(params), c.stored) << c.fields;
  }
}

TEST(ItemSetsCheck, TakesAnyNumberOfSets) {
  std::vector<ItemSet> sets = {{1, 0, 0}, {2, 3, 1}, {4, 0, 2}, {5, 5, 0}, {6, 0, 0}, {9, 8, 0}};
  EXPECT_EQ(checkItemSets(sets, itemBounds(1)).toStdString(), kStartAfterEnd);
  EXPECT_EQ(sets[0].last, 1);
  EXPECT_EQ(sets[4].last, 6);
  EXPECT_EQ(sets[5].last, 8);
}

}  // namespace
