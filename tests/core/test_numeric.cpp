#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/numeric.h"

using h7::numericValue;

namespace {
const double kInf = std::numeric_limits<double>::infinity();

struct ValueCase {
  const char* text;
  double value;
};

TEST(NumericValue, ReadsTheLeadingNumber) {
  const ValueCase cases[] = {
      {"      1234", 1234},  {"12.50", 12.5},   {"1 234", 1234},   {"12A", 12},       {"          ", 0},
      {"X", 0},              {"-", 0},          {"", 0},           {"0000001234", 1234}, {"   -12.50 ", -12.5},
      {"+7", 7},             {"- 12", -12},     {"\t1\n2", 12},    {".5", 0.5},       {"5.", 5},
      {"1.2.3", 1.2},        {"+-5", 0},        {"1,234", 1},      {"\r5", 0},        {"X12", 0},
      // exponents: E or D, either case, with sign and blanks
      {"1E3", 1000},         {"1e3", 1000},     {"2D2", 200},      {"2d-2", 0.02},    {"1.5E+2", 150},
      {"1E 3", 1000},        {"1E", 1},         {"1E+", 1},        {"1EX", 1},        {"9e9", 9e9},
      // hexadecimal and octal whole numbers
      {"&H1F", 31},          {"  &hff", 255},   {"&O17", 15},      {"&o8", 0},        {"&H", 0},
      {"&HG", 0},            {"&H1.5", 1},      {"&X1", 0},        {"&", 0},
      // beyond the double range
      {"1E400", kInf},       {"-1E400", -kInf}, {"1E-400", 0},     {"0E999", 0},
      // full-width digits, U+3000 and Shift-JIS bytes are no digits nor blanks
      {"12３", 12},          {"　5", 0},        {"7\x82\x52", 7},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(numericValue(QString::fromUtf8(c.text)), c.value) << '"' << c.text << '"';
    EXPECT_EQ(numericValue(std::string_view(c.text)), c.value) << "bytes \"" << c.text << '"';
  }
}

// A long fraction with a positive exponent is still tiny, a long integer part with a negative
// one still huge.
TEST(NumericValue, MagnitudeDecidesOverflow) {
  EXPECT_EQ(numericValue(std::string_view("0." + std::string(400, '0') + "1E5")), 0);
  EXPECT_EQ(numericValue(std::string_view("1" + std::string(400, '0') + "E-5")), kInf);
}

TEST(CanonicalNumber, Forms) {
  const ValueCase cases[] = {
      {"1234", 1234},       {"12.5", 12.5},        {".5", 0.5},         {"-.25", -0.25},
      {"0", 0},             {"0", -0.0},           {"-1234", -1234},    {"10.5", 10.5},
      {"1E+15", 1e15},      {"999999999999999", 999999999999999.0},    {"1E-05", 1e-5},
      {".0001", 1e-4},      {"-.0001", -1e-4},     {"1.5E+20", 1.5e20}, {"-1E-05", -1e-5},
      {".3", 0.1 + 0.2},    {".123456789012346", 0.1234567890123456},  {"123456789012346", 123456789012345.6},
      {"1.23456789012346E+17", 123456789012345678.0},                   {"1E+15", 999999999999999.5},
  };
  for (const auto& c : cases) EXPECT_EQ(h7::canonicalNumber(c.value), c.text) << c.value;
  // Shown to people: one blank in front of a number that is not negative.
  EXPECT_EQ(h7::displayNumber(-0.0) + h7::displayNumber(.5) + h7::displayNumber(-3), QStringLiteral(" 0 .5-3"));
}

TEST(NumericRoundToInt16, HalvesToEvenWithinLimits) {
  const struct {
    double in;
    int out;  // 99999: does not fit
  } cases[] = {{0.5, 0},           {1.5, 2},         {2.5, 2},       {-2.5, -2},       {-0.5, 0},
               {12.4, 12},         {12.6, 13},       {32767, 32767}, {32767.4, 32767}, {32767.5, 99999},
               {32768, 99999},     {-32768, -32768}, {-32768.5, -32768}, {-32768.6, 99999}, {9e9, 99999},
               {kInf, 99999},      {-kInf, 99999},   {std::nan(""), 99999}};
  for (const auto& c : cases) {
    auto r = h7::roundToInt16(c.in);
    EXPECT_EQ(r ? int(*r) : 99999, c.out) << c.in;
  }
}

}  // namespace
