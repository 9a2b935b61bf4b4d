// The output item list that the item sets give.
#pragma once

#include <functional>
#include <vector>

#include "core/job_params.h"

namespace h7 {

// Item positions of the output, in order, possibly repeated. Sets are taken in order
// until one whose first item number is 0; a last of 0 is replaced by the first (written
// back into the set). Each position goes to `take`; when it returns false the list
// stops there (a position outside the name table), so a runaway set never loops long.
// Intervals must already be non-zero. Returns false when `take` stopped it.
bool forEachOutputItem(std::vector<ItemSet>& sets, int offset, const std::function<bool(int position)>& take);

}  // namespace h7
