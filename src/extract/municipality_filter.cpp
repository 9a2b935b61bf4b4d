#include "extract/municipality_filter.h"

#include "core/numeric.h"

namespace h7 {

std::optional<std::int16_t> municipalityCode(std::string_view codeField) {
  return roundToInt16(numericValue(codeField));
}

bool acceptsMunicipality(std::span<const MunicipalityRange> ranges, std::int16_t code) {
  for (const MunicipalityRange& r : ranges) {
    if (r.first == 0) return false;
    if (r.first <= code && code <= r.last) return true;
  }
  return false;
}

}  // namespace h7
