#include "extract/numerify.h"

#include <cmath>

#include "core/numeric.h"
#include "extract/kernels/field.h"

namespace h7 {

bool appendNumerified(ByteBuffer& out, std::string_view field) {
  char buf[kCanonicalMax + 16];  // a whole field's digits are moved 16 bytes at once
  char* end = field.size() == kernels::kWidth ? kernels::writeWholeField(buf, field.data())
                                              : kernels::writeOtherNumber(buf, field.data(), field.size());
  if (!end) return false;
  out.append(buf, std::size_t(end - buf));
  return true;
}

std::optional<double> numerifiedValue(std::string_view field) {
  const double v = numericValue(field);
  if (std::isinf(v)) return std::nullopt;
  return v == 0 ? 0.0 : v;
}

}  // namespace h7
