// The prefecture rule on texts longer than the field's two characters, as h7extract's
// --pref hands them over; the field's own cases are typed on the main screen.
#include <gtest/gtest.h>

#include "main/prefecture.h"

TEST(PrefectureCheck, LongerTexts) {
  // text after the rule, accepted; blanks between digits are skipped when read
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"123", "0123", false}, {"1e1", "01e1", true}, {"4 7", "04 7", true}, {"　１３　", "13", true}};
  for (const auto& [field, text, accepted] : cases) {
    const h7::PrefectureCheck r = h7::checkPrefecture(QString::fromUtf8(field));
    EXPECT_EQ(r.text.toStdString(), text) << field;
    EXPECT_EQ(r.accepted, accepted) << field;
  }
}
