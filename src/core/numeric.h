// Numbers in text: the numeric value of a text, the canonical number form, and the
// 16-bit rounding that sets and ranges 5 and municipality codes go through.
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace h7 {

// The numeric value of a text, read from the left: blanks (space, tab, LF) skipped
// wherever they stand, an optional sign, digits with at most one point, an optional
// exponent (E or D, either case); reading stops at the first character that does not fit.
// "&H"/"&O" after blanks read a hexadecimal/octal whole number. No digit gives 0.
// A magnitude beyond the double range gives +-infinity (callers report the overflow).
double numericValue(std::string_view bytes);
double numericValue(QStringView text);

// True when the rule reads at least one digit from the text (a text without one reads as 0).
bool holdsNumber(std::string_view bytes);

// The canonical number form: shortest form with at most 15 significant digits, no
// blanks, no leading zero before the point (.5, -.25), exponents as 1E+15 and 1E-05;
// negative zero prints 0.
void appendCanonical(std::string& out, double value);
constexpr std::size_t kCanonicalMax = 24;  // longest canonical text, e.g. -1.23456789012346E-308
char* writeCanonical(char* out, double value);  // writes at most kCanonicalMax bytes
std::string canonicalNumber(double value);

// A number shown to people: the canonical form with one blank in front of a number
// that is not negative (" 1361", "-3").
QString displayNumber(double value);

// Rounds to the nearest whole number, halves to the even neighbour; empty when the
// result does not fit a 16-bit signed integer.
std::optional<std::int16_t> roundToInt16(double value);

}  // namespace h7
