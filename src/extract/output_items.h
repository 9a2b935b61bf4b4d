// The output item list that the item sets give.
#pragma once

#include <vector>

#include "core/job_params.h"
#include "core/messages.h"

namespace h7 {

// Output items a run takes at most: each costs memory in every output line.
constexpr std::size_t kMaxOutputItems = 100000;

// An interval of 0 means 1: written back into every set.
void fillIntervals(std::vector<ItemSet>& sets);

// The item positions of the output, in order, possibly repeated: intervals filled, then
// the sets taken in order until one whose first item number is 0; a last of 0 is replaced
// by the first (written back into the set). Or why there are none: a position outside the
// name table (a runaway set stops there, it never loops long), more than kMaxOutputItems.
Result<std::vector<int>> outputItemPositions(std::vector<ItemSet>& sets, int offset);

}  // namespace h7
