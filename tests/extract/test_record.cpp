// Record lines: characters by position (a double-byte character is one), the CSV pieces,
// numerified values in canonical form, and the whole output line of a record.
#include <gtest/gtest.h>

#include <cmath>

#include "core/numeric.h"
#include "extract/record.h"
#include "support/testutil.h"

using h7test::sjis;

namespace {

std::string numerified(std::string_view field) {
  h7::ByteBuffer out;
  EXPECT_TRUE(h7::appendNumerified(out, field)) << field;
  return std::string(out.view());
}

TEST(Record, PositionsCountCharacters) {
  const std::string wide = sjis("漢字コード") + "0123456789" + "13101000100" + std::string(24, ' ') +
                           sjis("　　　　秘匿") + "        12";
  const struct {
    std::string line;
    std::size_t pos, count;
    std::string expected;
  } cases[] = {
      {wide, 16, 2, "13"}, {wide, 18, 3, "101"}, {wide, 21, 6, "000100"},
      {wide, 51, 10, sjis("　　　　秘匿") + "    "}, {wide, 61, 10, "    12"}, {wide, 71, 10, ""},
      {"", 16, 2, ""}, {std::string(16, 'a'), 16, 2, "a"}, {std::string(15, 'a'), 16, 2, ""},
      {std::string(55, 'b'), 51, 10, "bbbbb"},
      {std::string(14, 'c') + "\x82", 15, 2, "\x82"},  // a lone lead byte at the end is one character
      {std::string(14, 'c') + sjis("県"), 15, 2, sjis("県")},
  };
  for (const auto& c : cases) {
    h7::RecordView r;
    r.reset(c.line, 100);
    EXPECT_EQ(r.chars(c.pos, c.count), c.expected) << testing::PrintToString(c.line) << ' ' << c.pos;
  }
}

TEST(Record, ValuesNumerifiedAndQuoted) {
  const std::pair<std::string, std::string> numbers[] = {
      {"0000001234", "1234"}, {"   -12.50 ", "-12.5"}, {"         X", "0"},    {"          ", "0"},
      {"       0.5", ".5"},   {"     -0.25", "-.25"},  {"  1 234   ", "1234"}, {"        -0", "0"},
      {"        +5", "5"},    {"      &H1F", "31"},   {"       12A", "12"},   {"     1.5E3", "1500"},
      {"    1D+015", "1E+15"}, {"   0.00001", "1E-05"}, {"", "0"},          {sjis("　　　　秘匿"), "0"},
      {"123456789012345678", "1.23456789012346E+17"}, {"     \xA2" "3234", "0"},  // a byte before the digits
  };
  for (const auto& [field, expected] : numbers) EXPECT_EQ(numerified(field), expected) << field;
  h7::ByteBuffer out;
  EXPECT_FALSE(h7::appendNumerified(out, "    1E400"));

  const std::tuple<std::string, std::string, std::string> texts[] = {  // field, raw, quoted
      {"      1234", "      1234", "\"      1234\""},
      {"  1,234   ", "\"  1,234   \"", "\"  1,234   \""},
      {"  \"X\"     ", "\"  \"\"X\"\"     \"", "\"  \"\"X\"\"     \""},
      {"a\nb", "\"a\nb\"", "\"a\nb\""},
      {sjis("秘匿"), sjis("秘匿"), '"' + sjis("秘匿") + '"'},
  };
  for (const auto& [field, raw, quoted] : texts) {
    h7::ByteBuffer r, q;
    h7::appendRawValue(r, field);
    h7::appendQuoted(q, field);
    EXPECT_EQ(r.view(), raw);
    EXPECT_EQ(q.view(), quoted);
  }
}

TEST(Record, RecordLineRawAndNumerified) {
  const std::string narrow = std::string(15, '0') + "13101000100" + std::string(24, ' ') + "      1234     12.50         X";
  // The same record with double-byte characters in 27-50 and cut short.
  const std::string wide = std::string(15, '0') + "13101000100" + sjis("中央区銀座５丁目") + std::string(16, ' ') +
                           "      1234     12.50    X";
  const std::tuple<std::string, std::vector<int>, bool, std::string> cases[] = {
      {narrow, {1, 3, 1, 0}, false, "      1234,         X,      1234,          "},  // position 0 reads 41-50
      {narrow, {2, 3, 4}, true, "12.5,0,0"},
      {wide, {1, 3, 4, 1}, false, "      1234,    X,,      1234"},
      {wide, {1, 3, 4, 1}, true, "1234,0,0,1234"},
  };
  for (const auto& [line, positions, numerify, values] : cases) {
    const auto layout = h7::makeLayout(positions, numerify);
    h7::RecordView r;
    r.reset(line, layout.lastPosition);
    h7::ByteBuffer out;
    ASSERT_TRUE(h7::appendRecordLine(out, r, layout));
    EXPECT_EQ(out.view(), "\"13\",\"101\",\"000100\"," + values + "\r\n");
  }
}

// The fast writers give exactly what the general rule gives: random fields over the
// characters that matter, from a fixed seed.
TEST(Record, FastNumerifyAgreesWithTheGeneralRule) {
  const std::string alphabet = " 0123456789.-+E0000009";
  std::uint64_t state = 42;
  auto next = [&] { return std::size_t((state = state * 6364136223846793005ULL + 1442695040888963407ULL) >> 33); };
  for (int i = 0; i < 200000; ++i) {
    std::string field(1 + next() % 10, ' ');
    for (char& c : field)
      if (next() % 3) c = alphabet[next() % alphabet.size()];
    const double v = h7::numericValue(field);
    if (!std::isinf(v)) ASSERT_EQ(numerified(field), h7::canonicalNumber(v)) << "field [" << field << "]";
  }
}

}  // namespace
