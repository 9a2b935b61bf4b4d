#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "common/numeric.h"
#include "extract/record.h"
#include "support/testutil.h"

using h7test::sjis;

namespace {

std::string numerified(std::string_view field) {
  h7::ByteBuffer out;
  EXPECT_TRUE(h7::appendNumerified(out, field)) << field;
  return std::string(out.view());
}

TEST(Record, PositionsCountCharactersNotBytes) {
  // Double-byte characters before position 16 and inside an item field.
  const std::string head = sjis("漢字コード") + "0123456789";  // 5 + 10 = 15 characters
  const std::string line = head + "13" + "101" + "000100" + std::string(24, ' ') + sjis("　　　　秘匿") + "        12";
  h7::RecordView r;
  r.reset(line, 70);
  EXPECT_EQ(r.chars(16, 2), "13");
  EXPECT_EQ(r.chars(18, 3), "101");
  EXPECT_EQ(r.chars(21, 6), "000100");
  EXPECT_EQ(r.chars(51, 10), sjis("　　　　秘匿") + "    ");
  EXPECT_EQ(r.chars(61, 10), "    12");
  EXPECT_EQ(r.chars(71, 10), "");
}

TEST(Record, ShortRecordsYieldWhatExists) {
  const struct {
    std::string line;
    std::size_t pos, count;
    std::string expected;
  } cases[] = {
      {"", 16, 2, ""},
      {std::string(16, 'a'), 16, 2, "a"},
      {std::string(15, 'a'), 16, 2, ""},
      {std::string(55, 'b'), 51, 10, "bbbbb"},
      {std::string(14, 'c') + "\x82", 15, 2, "\x82"},  // a lone lead byte at the end is one character
      {std::string(14, 'c') + sjis("県"), 15, 2, sjis("県")},
  };
  for (const auto& c : cases) {
    h7::RecordView r;
    r.reset(c.line, 100);
    EXPECT_EQ(r.chars(c.pos, c.count), c.expected) << testing::PrintToString(c.line);
  }
}

TEST(Record, NumerifiedFieldsInCanonicalForm) {
  const struct {
    std::string field, expected;
  } cases[] = {
      {"0000001234", "1234"}, {"   -12.50 ", "-12.5"}, {"         X", "0"},   {"          ", "0"},
      {"       0.5", ".5"},   {"     -0.25", "-.25"},  {"  1 234   ", "1234"}, {"        -0", "0"},
      {"        +5", "5"},    {"      &H1F", "31"},   {"       12A", "12"},  {"         -", "0"},
      {"     1.5E3", "1500"}, {"    1D+015", "1E+15"}, {"   0.00001", "1E-05"}, {"", "0"},
      {sjis("　　　　秘匿"), "0"}, {"123456789012345678", "1.23456789012346E+17"},
  };
  for (const auto& c : cases) EXPECT_EQ(numerified(c.field), c.expected) << c.field;
  h7::ByteBuffer out;
  EXPECT_FALSE(h7::appendNumerified(out, "    1E400"));
}

TEST(Record, CsvQuotingOnlyWhereNeeded) {
  const struct {
    std::string field, raw, quoted;
  } cases[] = {
      {"      1234", "      1234", "\"      1234\""},
      {"  1,234   ", "\"  1,234   \"", "\"  1,234   \""},
      {"  \"X\"     ", "\"  \"\"X\"\"     \"", "\"  \"\"X\"\"     \""},
      {"a\nb", "\"a\nb\"", "\"a\nb\""},
      {sjis("秘匿"), sjis("秘匿"), std::string(1, '"') + sjis("秘匿") + "\""},
  };
  for (const auto& c : cases) {
    h7::ByteBuffer raw, quoted;
    h7::appendRawValue(raw, c.field);
    h7::appendQuoted(quoted, c.field);
    EXPECT_EQ(raw.view(), c.raw);
    EXPECT_EQ(quoted.view(), c.quoted);
  }
}

TEST(Record, RecordLineRawAndNumerified) {
  const std::string line = std::string(15, '0') + "13" + "101" + "000100" + std::string(24, ' ') + "      1234" +
                           "     12.50" + "         X";
  h7::RecordView r;
  const auto raw = h7::makeLayout({1, 3, 1, 0}, false);
  r.reset(line, raw.lastPosition);
  h7::ByteBuffer out;
  ASSERT_TRUE(h7::appendRecordLine(out, r, raw));
  // Item position 0 reads positions 41-50.
  EXPECT_EQ(out.view(), "\"13\",\"101\",\"000100\",      1234,         X,      1234,          \r\n");
  out.clear();
  ASSERT_TRUE(h7::appendRecordLine(out, r, h7::makeLayout({2, 3, 4}, true)));
  EXPECT_EQ(out.view(), "\"13\",\"101\",\"000100\",12.5,0,0\r\n");

  // The same record with double-byte characters in 27-50 and cut short: positions count characters.
  const std::string wide = std::string(15, '0') + "13" + "101" + "000100" + sjis("中央区銀座５丁目") + std::string(16, ' ') +
                           "      1234" + "     12.50" + "    X";
  for (bool numerify : {false, true}) {
    const auto layout = h7::makeLayout({1, 3, 4, 1}, numerify);
    r.reset(wide, layout.lastPosition);
    out.clear();
    ASSERT_TRUE(h7::appendRecordLine(out, r, layout));
    EXPECT_EQ(out.view(), numerify ? "\"13\",\"101\",\"000100\",1234,0,0,1234\r\n"
                            : "\"13\",\"101\",\"000100\",      1234,    X,,      1234\r\n");
  }
}

}  // namespace

namespace {

// The fast writers must give exactly what the general rule gives: canonical form of the
// numeric value. Random fields over the characters that matter, from a fixed seed.
TEST(Record, FastNumerifyAgreesWithTheGeneralRule) {
  const std::string alphabet = " 0123456789.-+E0000009";
  std::uint64_t state = 42;
  auto next = [&] {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return std::size_t(state >> 33);
  };
  for (int i = 0; i < 200000; ++i) {
    std::string field(1 + next() % 10, ' ');
    for (char& c : field)
      if (next() % 3) c = alphabet[next() % alphabet.size()];
    double v = h7::numericValue(field);
    if (std::isinf(v)) continue;
    ASSERT_EQ(numerified(field), h7::canonicalNumber(v)) << "field [" << field << "]";
  }
}

}  // namespace
