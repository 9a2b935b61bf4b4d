// The output item list that the item sets give.
#pragma once

#include <functional>
#include <vector>

#include "core/job_params.h"
#include "core/messages.h"

namespace h7 {

// Item positions of the output, in order, possibly repeated. Sets are taken in order
// until one whose first item number is 0; a last of 0 is replaced by the first (written
// back into the set). Each position goes to `take`; when it returns false the list
// stops there (a position outside the name table), so a runaway set never loops long.
// Intervals must already be non-zero. Returns false when `take` stopped it.
bool forEachOutputItem(std::vector<ItemSet>& sets, int offset, const std::function<bool(int position)>& take);

// Output items a run takes at most: each costs memory in every output line.
constexpr std::size_t kMaxOutputItems = 100000;

// An interval of 0 means 1: written back into every set.
void fillIntervals(std::vector<ItemSet>& sets);

// The item positions of the sets (intervals filled, then as forEachOutputItem), or why
// there are none: a position outside the name table, more than kMaxOutputItems.
Result<std::vector<int>> outputItemPositions(std::vector<ItemSet>& sets, int offset);

}  // namespace h7
