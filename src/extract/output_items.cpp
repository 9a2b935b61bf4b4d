#include "extract/output_items.h"

#include <functional>

#include "extract/item_names.h"

namespace h7 {

namespace {

// Each position of the sets to `take`, until it gives a failure.
std::optional<Failure> forEachOutputItem(std::vector<ItemSet>& sets, int offset,
                                         const std::function<std::optional<Failure>(int)>& take) {
  for (ItemSet& s : sets) {
    if (s.first == 0) break;
    if (s.last == 0) s.last = s.first;
    const double step = s.interval;
    const double stop = s.last - offset;
    for (double p = s.first - offset; step > 0 ? p <= stop : p >= stop; p += step) {
      if (auto failure = take(static_cast<int>(p > 2e9 ? 2e9 : (p < -2e9 ? -2e9 : p)))) return failure;
    }
  }
  return std::nullopt;
}

}  // namespace

void fillIntervals(std::vector<ItemSet>& sets) {
  for (ItemSet& s : sets)
    if (s.interval == 0) s.interval = 1;
}

Result<std::vector<int>> outputItemPositions(std::vector<ItemSet>& sets, int offset) {
  fillIntervals(sets);
  std::vector<int> positions;
  const std::optional<Failure> failure = forEachOutputItem(sets, offset, [&](int p) -> std::optional<Failure> {
    if (p < 0 || p >= kNameSlots) return msg::outOfRange();
    if (positions.size() == kMaxOutputItems) return msg::tooManyItems((long long)kMaxOutputItems);
    positions.push_back(p);
    return std::nullopt;
  });
  if (failure) return *failure;
  return positions;
}

}  // namespace h7
