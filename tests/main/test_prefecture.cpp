#include <gtest/gtest.h>

#include "main/prefecture.h"

namespace {

TEST(PrefectureCheck, NormalisesThenChecks) {
  const struct {
    const char* field;
    const char* converted;
    const char* text;
    bool accepted;
  } cases[] = {
      {"5", "5", "05", true},      {"47", "47", "47", true},    {"01", "01", "01", true},
      {"48", "48", "48", false},   {"00", "00", "00", false},   {"99", "99", "99", false},
      {"０５", "05", "05", true},  {" 7", "7", "07", true},     {"7 ", "7", "07", true},
      {"　５", "5", "05", true},   {"", "", "0", false},        {"  ", "", "0", false},
      {"TT", "TT", "TT", true},    {"ＴＴ", "TT", "TT", true},  {"tt", "tt", "tt", false},
      {"T", "T", "0T", false},     {"1.", "1.", "1.", true},    {"AB", "AB", "AB", false},
      {"-1", "-1", "-1", false},   {"1e1", "1e1", "01e1", true}, {"123", "123", "0123", false},
      {"\t7", "\t7", "\t7", true},  // only the blank U+0020 is trimmed
      {"4 7", "4 7", "04 7", true},  // blanks between digits are skipped when read
  };
  for (const auto& c : cases) {
    const h7::PrefectureCheck r = h7::checkPrefecture(QString::fromUtf8(c.field));
    EXPECT_EQ(r.converted.toStdString(), c.converted) << '"' << c.field << '"';
    EXPECT_EQ(r.text.toStdString(), c.text) << '"' << c.field << '"';
    EXPECT_EQ(r.accepted, c.accepted) << '"' << c.field << '"';
  }
}

}  // namespace
