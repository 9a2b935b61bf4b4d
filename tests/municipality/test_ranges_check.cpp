// The back operation of the municipality selection screen on the texts of its ten
// fields, and the checks on any number of ranges as h7extract hands them over.
#include <gtest/gtest.h>

#include "common/numeric.h"
#include "municipality/ranges_check.h"
#include "support/testutil.h"

using namespace h7;

TEST(MunicipalityBack, SwitchesConvertsStoresAndChecks) {
  const QString unknown = rangemsg::unknownCode(), overflow = "ERROR  " + overflowDescription();
  // typed "start,end;..." for ranges 1 to 5, message, SFR1..5 / STO1..5 afterwards (from
  // 11..15 / 21..25), the fields afterwards (null: as typed), SHI_SW "ON" afterwards
  const std::tuple<const char*, QString, const char*, const char*, bool> cases[] = {
      {",１０１;201,205;;;,9e9", "", "11 12 13 14 15 / 21 22 23 24 25", nullptr, false},  // Text1 empty
      {" ", "", "0 0 0 0 0 / 0 0 0 0 0", nullptr, true},  // a blank switches it on
      {"99", unknown, "99 0 0 0 0 / 0 0 0 0 0", nullptr, true},
      {"100;999", "", "100 999 0 0 0 / 100 999 0 0 0", nullptr, true},
      {"0,50", "", "0 0 0 0 0 / 50 0 0 0 0", nullptr, true},
      {"50;105,101", rangemsg::startAfterEnd(), "50 105 0 0 0 / 0 101 0 0 0", nullptr, true},
      {"050", unknown, "50 0 0 0 0 / 0 0 0 0 0", nullptr, true},
      {"101,1e3", unknown, "101 0 0 0 0 / 1000 0 0 0 0", nullptr, true},
      {".5", unknown, ".5 0 0 0 0 / 0 0 0 0 0", nullptr, true},
      {"101;;;;.5", "", "101 0 0 0 0 / 101 0 0 0 0", nullptr, true},  // range 5 rounds halves to even
      {"101;;;;1.5", unknown, "101 0 0 0 2 / 0 0 0 0 0", nullptr, true},
      {"101;;1e5", unknown, "101 0 100000 0 0 / 0 0 0 0 0", nullptr, true},
      {"１０１;;;;1e5,２", overflow, "101 0 0 0 15 / 21 22 23 24 25", "101;;;;1e5,2", true},
      {"101;;;;101,1e5", overflow, "101 0 0 0 101 / 0 0 0 0 25", nullptr, true},
      {"２０１,２０５;３０１", "", "201 301 0 0 0 / 205 301 0 0 0", "201,205;301", true},
  };
  for (const auto& [typed, message, ranges, shown, on] : cases) {
    JobParams params;
    for (int i = 0; i < 5; ++i) {
      (params.*JobParams::rangeFirst[i]).assign(11 + i);
      (params.*JobParams::rangeLast[i]).assign(21 + i);
    }
    params.SHI_SW = on ? "OFF" : "ON";  // so that the switch has to change
    auto fields = h7test::rowsToFields<10>(QString::fromUtf8(typed), 2);
    EXPECT_EQ(storeAndCheckMunicipalities(fields, params), message) << typed;
    EXPECT_EQ(params.SHI_SW, on ? "ON" : "OFF") << typed;
    EXPECT_EQ(h7test::storedValues(params, {JobParams::rangeFirst, JobParams::rangeLast}), ranges) << typed;
    EXPECT_EQ(h7test::fieldsToRows(fields, 2), QString::fromUtf8(shown ? shown : typed)) << typed;
  }
}

// Every check reaches a sixth range.
TEST(MunicipalityCheck, TakesAnyNumberOfRanges) {
  const std::pair<MunicipalityRange, QString> sixth[] = {
      {{201, 0}, {}}, {{205, 201}, rangemsg::startAfterEnd()}, {{50, 0}, rangemsg::unknownCode()},
      {{1000, 0}, rangemsg::unknownCode()}, {{201, 1000}, rangemsg::unknownCode()}};
  for (const auto& [range, message] : sixth) {
    std::vector<MunicipalityRange> ranges = {{101, 0}, {102, 105}, {0, 0}, {106, 0}, {107, 0}, range};
    EXPECT_EQ(checkMunicipalityRanges(ranges), message) << range.first;
    EXPECT_EQ(ranges[5].last, message.isEmpty() ? 201 : range.last);
  }
}
