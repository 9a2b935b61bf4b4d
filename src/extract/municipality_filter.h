// The municipality filter a record passes through.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "core/job_params.h"

namespace h7 {

// The municipality code of a record: numeric value of positions 18-20, rounded halves
// to even as a 16-bit integer; empty when it does not fit.
std::optional<std::int16_t> municipalityCode(std::string_view codeField);

// Ranges tried in order; a first code of 0 ends the search (rejected); both bounds
// inclusive; the run does not substitute a last code of 0.
bool acceptsMunicipality(std::span<const MunicipalityRange> ranges, std::int16_t code);

}  // namespace h7
