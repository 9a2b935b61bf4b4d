#include "extract/output_items.h"

#include "extract/item_names.h"

namespace h7 {

bool forEachOutputItem(std::vector<ItemSet>& sets, int offset, const std::function<bool(int)>& take) {
  for (ItemSet& s : sets) {
    if (s.first == 0) break;
    if (s.last == 0) s.last = s.first;
    const double step = s.interval;
    const double stop = s.last - offset;
    for (double p = s.first - offset; step > 0 ? p <= stop : p >= stop; p += step) {
      if (!take(static_cast<int>(p > 2e9 ? 2e9 : (p < -2e9 ? -2e9 : p)))) return false;
    }
  }
  return true;
}

void fillIntervals(std::vector<ItemSet>& sets) {
  for (ItemSet& s : sets)
    if (s.interval == 0) s.interval = 1;
}

Result<std::vector<int>> outputItemPositions(std::vector<ItemSet>& sets, int offset) {
  fillIntervals(sets);
  std::vector<int> positions;
  std::optional<Failure> failure;
  forEachOutputItem(sets, offset, [&](int p) {
    if (p < 0 || p >= kNameSlots) failure = msg::outOfRange();
    else if (positions.size() == kMaxOutputItems) failure = msg::tooManyItems((long long)kMaxOutputItems);
    else positions.push_back(p);
    return !failure;
  });
  if (failure) return *failure;
  return positions;
}

}  // namespace h7
