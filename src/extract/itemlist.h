// Item sets and the output item list they give.
#pragma once

#include <functional>
#include <vector>

namespace h7 {

// One item set: first and last item number and interval (0 in last stands for first,
// 0 in interval for 1; a first of 0 ends the list of sets).
struct ItemSet {
  double first = 0;
  double last = 0;
  double interval = 0;
  bool operator==(const ItemSet&) const = default;
};

// Item positions of the output, in order, possibly repeated. Sets are taken in order
// until one whose first item number is 0; a last of 0 is replaced by the first (written
// back into the set). Each position goes to `emit`; when it returns false the list
// stops there (a position outside the name table), so a runaway set never loops long.
// Intervals must already be non-zero. Returns false when `emit` stopped it.
bool forEachOutputItem(std::vector<ItemSet>& sets, int offset, const std::function<bool(int position)>& emit);

}  // namespace h7
