#include <gtest/gtest.h>

#include "core/half_width.h"
#include "core/sjis.h"

namespace {

struct Pair {
  const char16_t* wide;
  const char16_t* half;
};

// Full-width text and its half-width conversion; each row also widens back exactly.
const Pair kRoundTrip[] = {
    {u"０１２３４５６７８９", u"0123456789"},
    {u"ＡＺａｚ", u"AZaz"},
    {u"！＂＃＄％＆＇（）＊＋，－．／：；＜＝＞？＠［＼］＾＿｀｛｜｝～", u"!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~"},
    {u"　１２　", u" 12 "},
    {u"アイウエオカキクケコヲンァィゥェォャュョッ", u"ｱｲｳｴｵｶｷｸｹｺｦﾝｧｨｩｪｫｬｭｮｯ"},
    {u"ガギグゲゴザジズゼゾダヂヅデドバビブベボ", u"ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞ"},
    {u"パピプペポヴ", u"ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟｳﾞ"},
    {u"。「」、・ー゛゜", u"｡｢｣､･ｰﾞﾟ"},
    {u"町丁・字等", u"町丁･字等"},
};

TEST(HalfWidth, ConvertsBothWays) {
  for (const Pair& p : kRoundTrip) {
    const QString wide = QString::fromUtf16(p.wide), half = QString::fromUtf16(p.half);
    EXPECT_EQ(h7::halfWidth(wide), half) << wide.toStdString();
    EXPECT_EQ(h7::halfWidth(half), half) << "idempotent: " << half.toStdString();
    EXPECT_EQ(h7::widen(half), wide) << half.toStdString();
    EXPECT_EQ(h7::widen(wide), wide) << "idempotent: " << wide.toStdString();
  }
  // A mark after a kana that cannot take it stays a mark of its own.
  EXPECT_EQ(h7::widen(u"ｱﾞｶﾟﾞ"), QStringLiteral("ア゛カ゜゛"));
}

TEST(HalfWidth, LeavesOtherCharactersAndDoesNotTrim) {
  for (const char16_t* same : {u"ひらがな　", u"がぱ", u"漢字", u"ヰヱヵヶ", u"  x\t", u"￥", u""}) {
    const QString s = QString::fromUtf16(same);
    EXPECT_EQ(h7::halfWidth(s), QString(s).replace(QChar(0x3000), u' ')) << s.toStdString();
  }
}

// Decoding for people: control bytes as they are, a trail byte in the ASCII range kept
// with its lead, a byte that is no character as U+FFFD (never Ctrl-Z).
TEST(ShiftJis, DecodesEveryByte) {
  const std::pair<std::string_view, const char16_t*> cases[] = {
      {"a\x1A\x1C\x7F", u"a\x1A\x1C\x7F"}, {"\x95\x5C\x82\xA0", u"表あ"},
      {"\x80z\xA0\xFD", u"\xFFFDz\xFFFD\xFFFD"}, {"\x81 \x81", u"\xFFFD \xFFFD"}, {"\xB1", u"ｱ"},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(h7::sjis::decode(bytes), QString::fromUtf16(text)) << bytes;
}

}  // namespace
