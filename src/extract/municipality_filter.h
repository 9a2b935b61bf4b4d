// The municipality ranges and the filter a record passes through.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace h7 {

struct MunicipalityRange {
  double first = 0;  // 0: not in use, ends the list
  double last = 0;   // the run does not substitute 0 here
  bool operator==(const MunicipalityRange&) const = default;
};

// The municipality code of a record: numeric value of positions 18-20, rounded halves
// to even as a 16-bit integer; empty when it does not fit.
std::optional<std::int16_t> municipalityCode(std::string_view codeField);

// Ranges tried in order; a first code of 0 ends the search (rejected); both bounds inclusive.
bool acceptsMunicipality(std::span<const MunicipalityRange> ranges, std::int16_t code);

}  // namespace h7
