// The back operation of the item selection screen without its window: half-width
// conversion of the fifteen fields, store into the job parameters, checks in order.
#pragma once

#include <QString>
#include <QStringView>
#include <array>
#include <vector>

#include "extract/itemlist.h"
#include "main/jobparams.h"

namespace h7 {

namespace itemmsg {
inline QString belowSmallest() { return QStringLiteral("ERROR  最小項目番号を超えた"); }
inline QString aboveLargest() { return QStringLiteral("ERROR  最大項目番号を超えた"); }
inline QString badInterval() { return QStringLiteral("ERROR  間隔値異常"); }
inline QString startAfterEnd() { return QStringLiteral("ERROR  開始項目　＞　終了項目"); }
}  // namespace itemmsg

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
// Returns the message of the first failed check, or an empty text when all pass.
QString checkItemSets(std::vector<ItemSet>& sets, ItemBounds bounds);

// The whole back operation on the texts of Text1..Text15 (start, end, interval of set 1,
// then set 2, ...): each text is replaced by its half-width conversion, all fifteen
// values are stored (NFR1..5, then NTO1..5, then INT1..5), then checked; the end
// substitutions are written into the job parameters. A set-5 value that does not fit
// 16 bits stops the store there and gives "ERROR  " + the overflow description.
// Returns an empty text on success, else the message to show.
QString storeAndCheckItemSets(std::array<QString, 15>& fields, int group, JobParams& params);

}  // namespace h7
