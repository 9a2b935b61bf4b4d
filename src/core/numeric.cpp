#include "core/numeric.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace h7 {
namespace {

inline bool isBlank(char32_t c) { return c == u' ' || c == u'\t' || c == u'\n'; }
inline bool isDigit(char32_t c) { return c >= u'0' && c <= u'9'; }

template <class Text>
double hexOrOctal(const Text& t, std::size_t i, unsigned base, bool* sawDigit) {
  double v = 0;
  for (; i < t.size(); ++i) {
    char32_t c = t[i];
    if (isBlank(c)) continue;
    unsigned d;
    if (isDigit(c)) d = c - u'0';
    else if (c >= u'a' && c <= u'f') d = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F') d = c - u'A' + 10;
    else break;
    if (d >= base) break;
    if (sawDigit) *sawDigit = true;
    v = v * base + d;
  }
  return v;
}

// One scanner for bytes and UTF-16: only ASCII characters take part in a number, and
// neither a Shift-JIS lead byte nor any non-ASCII code unit is a blank, so both stop.
template <class Text>
double scan(const Text& t, bool* sawDigit = nullptr) {
  const std::size_t n = t.size();
  std::size_t i = 0;
  while (i < n && isBlank(t[i])) ++i;
  if (i + 1 < n && t[i] == u'&') {
    char32_t k = t[i + 1];
    if (k == u'H' || k == u'h') return hexOrOctal(t, i + 2, 16, sawDigit);
    if (k == u'O' || k == u'o') return hexOrOctal(t, i + 2, 8, sawDigit);
  }
  // Gather "-ddd.ddde-dd" without blanks, then convert once, correctly rounded.
  std::string small;  // short texts stay in the string's own storage
  bool negative = false, any = false, point = false;
  long intDigits = 0;     // significant digits before the point
  long leadingZeros = 0;  // zeros after the point before the first significant digit
  bool seenNonZero = false;
  if (i < n && (t[i] == u'+' || t[i] == u'-')) negative = (t[i++] == u'-');
  for (; i < n; ++i) {
    char32_t c = t[i];
    if (isBlank(c)) continue;
    if (isDigit(c)) {
      any = true;
      if (c != u'0') seenNonZero = true;
      if (!point && seenNonZero) ++intDigits;
      if (point && !seenNonZero) ++leadingZeros;
      small.push_back(char(c));
    } else if (c == u'.' && !point) {
      point = true;
      small.push_back('.');
    } else {
      break;
    }
  }
  if (!any) return 0.0;
  if (sawDigit) *sawDigit = true;
  long exponent = 0;
  if (i < n && (t[i] == u'E' || t[i] == u'e' || t[i] == u'D' || t[i] == u'd')) {
    std::size_t j = i + 1;
    bool expNegative = false;
    while (j < n && isBlank(t[j])) ++j;
    if (j < n && (t[j] == u'+' || t[j] == u'-')) expNegative = (t[j++] == u'-');
    bool expAny = false;
    for (; j < n; ++j) {
      char32_t c = t[j];
      if (isBlank(c)) continue;
      if (!isDigit(c)) break;
      expAny = true;
      if (exponent < 100000) exponent = exponent * 10 + long(c - u'0');
    }
    if (expAny) exponent = expNegative ? -exponent : exponent;
  }
  if (exponent != 0) {
    small.push_back('e');
    small += std::to_string(exponent);
  }
  double v = 0;
  auto r = std::from_chars(small.data(), small.data() + small.size(), v);
  if (r.ec == std::errc::result_out_of_range) {
    if (!seenNonZero) v = 0;
    else if (intDigits - leadingZeros + exponent > 0) v = std::numeric_limits<double>::infinity();
    else v = 0;
  }
  return negative ? -v : v;
}

struct ByteText {
  std::string_view s;
  std::size_t size() const { return s.size(); }
  char32_t operator[](std::size_t i) const { return static_cast<unsigned char>(s[i]); }
};
struct Utf16Text {
  QStringView s;
  std::size_t size() const { return std::size_t(s.size()); }
  char32_t operator[](std::size_t i) const { return s[qsizetype(i)].unicode(); }
};

}  // namespace

double numericValue(std::string_view bytes) { return scan(ByteText{bytes}); }
double numericValue(QStringView text) { return scan(Utf16Text{text}); }

bool holdsNumber(std::string_view bytes) {
  bool sawDigit = false;
  scan(ByteText{bytes}, &sawDigit);
  return sawDigit;
}

char* writeCanonical(char* out, double value) {
  if (value == 0) {  // also negative zero
    *out++ = '0';
    return out;
  }
  if (std::fabs(value) < 1e15 && value == std::trunc(value))
    return std::to_chars(out, out + kCanonicalMax, static_cast<long long>(value)).ptr;
  std::array<char, 40> buf{};
  auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::general, 15);
  for (char* p = buf.data(); p != r.ptr; ++p) {
    char c = *p;
    if (c == '0' && p + 1 != r.ptr && p[1] == '.' && (p == buf.data() || p[-1] == '-')) continue;
    *out++ = (c == 'e' ? 'E' : c);
  }
  return out;
}

void appendCanonical(std::string& out, double value) {
  char buf[kCanonicalMax];
  out.append(buf, writeCanonical(buf, value));
}

std::string canonicalNumber(double value) {
  std::string s;
  appendCanonical(s, value);
  return s;
}

QString displayNumber(double value) {
  std::string s;
  if (!(value < 0)) s.push_back(' ');
  appendCanonical(s, value);
  return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

std::optional<std::int16_t> roundToInt16(double value) {
  double r = std::nearbyint(value);  // default rounding mode: halves to even
  if (!(r >= -32768.0 && r <= 32767.0)) return std::nullopt;
  return static_cast<std::int16_t>(r);
}

}  // namespace h7
