// The fields the kernels' own paths do not take, numerified by the general rule.
#include <cmath>
#include <cstring>
#include <string_view>

#include "core/numeric.h"
#include "extract/kernels/field.h"

namespace h7::kernels {

namespace {

// A field of blanks around a plain decimal number ([-+]digits[.digits], at most 15
// significant digits, not below 0.0001) in canonical form, written straight from its
// digits: the double it reads as prints back the same digits. nullptr for anything else.
char* writePlainDecimal(char* out, const char* f, std::size_t n) {
  char digits[16];
  int count = 0, intDigits = 0, zerosAfterPoint = 0;
  bool negative = false, any = false, point = false;
  std::size_t i = 0;
  while (i < n && f[i] == ' ') ++i;
  if (i < n && (f[i] == '-' || f[i] == '+')) negative = (f[i++] == '-');
  for (; i < n; ++i) {
    char c = f[i];
    if (c == ' ') continue;
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (c < '0' || c > '9') return nullptr;
    any = true;
    if (count == 0 && c == '0') {  // a leading zero
      if (point) ++zerosAfterPoint;
      continue;
    }
    if (count == 15) return nullptr;
    digits[count++] = c;
    if (!point) ++intDigits;
  }
  if (!any) return nullptr;
  int fraction = count - intDigits;
  while (fraction > 0 && digits[intDigits + fraction - 1] == '0') --fraction;
  if (intDigits == 0 && fraction == 0) {
    *out++ = '0';
    return out;
  }
  if (intDigits == 0 && zerosAfterPoint >= 4) return nullptr;  // takes the exponent form
  if (negative) *out++ = '-';
  std::memcpy(out, digits, std::size_t(intDigits));
  out += intDigits;
  if (fraction > 0) {
    *out++ = '.';
    for (int z = 0; z < zerosAfterPoint && intDigits == 0; ++z) *out++ = '0';
    std::memcpy(out, digits + intDigits, std::size_t(fraction));
    out += fraction;
  }
  return out;
}

}  // namespace

// Kept out of line so that the kernels' common cases need no registers saved.
[[gnu::noinline]] char* writeOtherNumber(char* out, const char* field, std::size_t n) {
  if (char* end = writePlainDecimal(out, field, n)) return end;
  double v = numericValue(std::string_view(field, n));
  if (std::isinf(v)) return nullptr;
  return writeCanonical(out, v);
}

}  // namespace h7::kernels
