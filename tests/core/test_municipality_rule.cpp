// The municipality rule: the back operation of the municipality selection screen on the
// texts of its ten fields, its checks in their order.
#include <gtest/gtest.h>

#include "core/municipality_rule.h"
#include "support/testutil.h"

using namespace h7;

TEST(MunicipalityBack, SwitchesConvertsStoresAndChecks) {
  const QString unknown = msg::unknownMunicipality().description, overflow = msg::overflow().description;
  // typed "start,end;..." for ranges 1 to 5, message, SFR1..5 / STO1..5 afterwards (from
  // 11..15 / 21..25), the fields afterwards (null: as typed), SHI_SW "ON" afterwards
  const std::tuple<const char*, QString, const char*, const char*, bool> cases[] = {
      {",１０１;201,205;;;,9e9", "", "11 12 13 14 15 / 21 22 23 24 25", nullptr, false},  // Text1 empty
      {" ", "", "0 0 0 0 0 / 0 0 0 0 0", nullptr, true},  // a blank switches it on
      {"99", unknown, "99 0 0 0 0 / 0 0 0 0 0", nullptr, true},
      {"100;999", "", "100 999 0 0 0 / 100 999 0 0 0", nullptr, true},
      {"0,50", "", "0 0 0 0 0 / 50 0 0 0 0", nullptr, true},
      {"50;105,101", msg::startAfterEnd().description, "50 105 0 0 0 / 0 101 0 0 0", nullptr, true},
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
    for (std::size_t i = 0; i < 5; ++i) {
      params.SFR[i].assign(double(11 + i));
      params.STO[i].assign(double(21 + i));
    }
    params.SHI_SW = on ? "OFF" : "ON";  // so that the switch has to change
    auto fields = h7test::rowsToFields<10>(QString::fromUtf8(typed), 2);
    EXPECT_EQ(h7test::described(storeAndCheckMunicipalities(fields, params)), message) << typed;
    EXPECT_EQ(params.SHI_SW, on ? "ON" : "OFF") << typed;
    EXPECT_EQ(h7test::storedValues({params.SFR, params.STO}), ranges) << typed;
    EXPECT_EQ(h7test::fieldsToRows(fields, 2), QString::fromUtf8(shown ? shown : typed)) << typed;
  }
}

