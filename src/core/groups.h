// The tabulation group table: suffixes, item-number offset and item numbers of each group.
#pragma once

#include <QString>

namespace h7 {

struct TabulationGroup {
  int number;            // 1, 2, 3 (その１..その３)
  const char* dataSuffix;   // "S1.DAT"
  const char* nameSuffix;   // "S1.CCC"
  int offset;            // item-number offset: 0, 1361, 2375
  int smallestItem;      // 1, 1362, 2376
  int largestItem;       // 1361, 2375, 3052
  int fieldsPerRecord;   // 1361, 1014, 677
};

// The group of number 1..3, or nullptr for any other number (no group selected).
const TabulationGroup* tabulationGroup(int number);

// Census data file path: folder, a separator unless it ends in one, "H7S", the
// prefecture text as the field holds it, the group's data suffix.
QString censusDataPath(const QString& folder, const QString& prefecture, const TabulationGroup& g);

// Item-name file path: the program folder, then always a separator and "NAMEH7" + suffix.
QString itemNamePath(const QString& programFolder, const TabulationGroup& g);

}  // namespace h7
