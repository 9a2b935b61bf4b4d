// The item-set rule: the back operation of the item selection screen without its window
// (half-width conversion of the fifteen fields, store into the job parameters, checks in
// order), and the same checks on any number of sets for h7extract.
#pragma once

#include <QString>
#include <QStringView>
#include <array>
#include <optional>
#include <vector>

#include "core/job_params.h"
#include "core/messages.h"

namespace h7 {

// Smallest and largest item number of the selected group; 0 and 0 when none is selected.
struct ItemBounds {
  double smallest = 0;
  double largest = 0;
};
ItemBounds itemBounds(int group);

// The value a field stores: its numeric value truncated toward zero.
double storedItemValue(QStringView convertedText);

// The checks, in order over all sets: starts below the smallest (not 0), starts then
// ends above the largest, ends below the smallest (not 0), negative intervals, then per
// set the end substitution (written into `sets` at once) and start > end.
std::optional<Failure> checkItemSets(std::vector<ItemSet>& sets, ItemBounds bounds);

// The whole back operation on the texts of Text1..Text15 (start, end, interval of set 1,
// then set 2, ...): each text is replaced by its half-width conversion, all fifteen
// values are stored (NFR, then NTO, then INT), then checked; the end substitutions are
// written into the job parameters. A set-5 value that does not fit 16 bits stops the
// store there with the overflow failure.
std::optional<Failure> storeAndCheckItemSets(std::array<QString, 15>& fields, int group, JobParams& params);

}  // namespace h7
