// The prefecture number rule: half-width conversion, blanks trimmed, "0" put in front of
// a text that is not two characters long, accepted when "TT" or 1 to 47.
#include <gtest/gtest.h>

#include "core/prefecture_rule.h"

TEST(PrefectureCheck, NormalisesAndAccepts) {
  const std::tuple<const char*, const char*, bool> cases[] = {  // typed, text afterwards, accepted
      {"5", "05", true},     {"01", "01", true},   {"47", "47", true},    {"48", "48", false},
      {"00", "00", false},   {"-1", "-1", false},  {"０５", "05", true},  {" 7", "07", true},
      {"7 ", "07", true},    {"　５", "05", true}, {"", "0", false},      {"  ", "0", false},
      {"TT", "TT", true},    {"ＴＴ", "TT", true}, {"tt", "tt", false},   {"T", "0T", false},
      {"1.", "1.", true},    {"AB", "AB", false},  {"123", "0123", false}, {"1e1", "01e1", true},
      {"4 7", "04 7", true}, {"　１３　", "13", true}, {"\t7", "\t7", true},  // only U+0020 trimmed; the tab skipped
  };
  for (const auto& [typed, text, accepted] : cases) {
    const h7::PrefectureCheck r = h7::checkPrefecture(QString::fromUtf8(typed));
    EXPECT_EQ(r.text.toStdString(), text) << typed;
    EXPECT_EQ(!r.failure, accepted) << typed;
  }
}
