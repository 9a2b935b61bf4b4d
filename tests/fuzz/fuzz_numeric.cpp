// The numeric value of a text and the canonical number form.
// - the byte and UTF-16 readers agree on the same characters;
// - a finite value's canonical text is at most kCanonicalMax long, has no blank and no
//   leading zero before a point, reads back to the same canonical text (or, for the few
//   doubles it rounds past the largest, to an overflow), and a whole value
//   below 1e15 prints without a point or exponent;
// - a field numerified for the output (with its fast path for plain decimals) is the
//   canonical text of its numeric value, and fails exactly when that value overflows;
// - any double at all (NaN, infinities, subnormals) prints within kCanonicalMax.
#include <QString>
#include <cmath>
#include <cstring>
#include <string>

#include "common/numeric.h"
#include "extract/record.h"
#include "fuzz_util.h"

namespace {

void checkCanonical(double v) {
  char buf[h7::kCanonicalMax + 8];
  char* end = h7::writeCanonical(buf, v);
  H7_FUZZ_CHECK(end > buf && std::size_t(end - buf) <= h7::kCanonicalMax);
  if (!std::isfinite(v)) return;
  const std::string text(buf, end);
  H7_FUZZ_CHECK(text == h7::canonicalNumber(v));
  H7_FUZZ_CHECK(text.find(' ') == std::string::npos);
  H7_FUZZ_CHECK(text.rfind("0.", 0) != 0 && text.rfind("-0.", 0) != 0);
  // Fifteen digits round the few doubles next to the largest one up past it: their text
  // reads as an overflow, as any text beyond the double range does.
  const double back = h7::numericValue(text);
  if (std::isinf(back)) H7_FUZZ_CHECK(std::fabs(v) > 1.79769313486231e308);
  else H7_FUZZ_CHECK(h7::canonicalNumber(back) == text);
  if (std::fabs(v) < 1e15 && v == std::trunc(v))
    H7_FUZZ_CHECK(text.find_first_not_of("-0123456789") == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const double v = h7::numericValue(bytes);
  const double u = h7::numericValue(QString::fromLatin1(bytes.data(), qsizetype(bytes.size())));
  H7_FUZZ_CHECK(!std::isnan(v));
  H7_FUZZ_CHECK(std::memcmp(&v, &u, sizeof v) == 0 || (v == 0 && u == 0));
  checkCanonical(v);
  if (std::isfinite(v)) {
    auto r = h7::roundToInt16(v);
    const double n = std::nearbyint(v);
    H7_FUZZ_CHECK(r.has_value() == (n >= -32768 && n <= 32767));
  }

  h7::ByteBuffer numerified;
  const bool ok = h7::appendNumerified(numerified, bytes);
  H7_FUZZ_CHECK(ok == !std::isinf(v));
  if (ok) H7_FUZZ_CHECK(numerified.view() == h7::canonicalNumber(v));

  if (size >= sizeof(double)) {
    double any;
    std::memcpy(&any, data, sizeof any);
    checkCanonical(any);
  }
  return 0;
}
