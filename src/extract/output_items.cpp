#include "extract/output_items.h"

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

}  // namespace h7
