// The municipality rule: the back operation of the municipality selection screen without
// its window (the filter switch, half-width conversion of the ten fields, store, checks,
// end substitution), and the same checks on any number of ranges for h7extract.
#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "core/job_params.h"
#include "core/messages.h"

namespace h7 {

// The checks, in order over all ranges: start > end (end not 0), start below 100 (not 0),
// starts then ends above 999. Only when all pass, every end of 0 becomes its start.
std::optional<Failure> checkMunicipalityRanges(std::vector<MunicipalityRange>& ranges);

// The whole back operation on the texts of Text1..Text10 (start and end of range 1,
// then range 2, ...). An empty Text1 sets SHI_SW to "OFF" and touches nothing else.
// Otherwise SHI_SW becomes "ON", the texts are converted in place, all ten values are
// stored (SFR then STO; range 5 rounded halves to even; one that does not fit 16 bits
// stops the store there with the overflow failure), checked, and on success the ends
// of 0 substituted.
std::optional<Failure> storeAndCheckMunicipalities(std::array<QString, 10>& fields, JobParams& params);

}  // namespace h7
