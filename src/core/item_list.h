// The item list of the item list screen and of h7extract --list-items: the numbers and
// names of a group's items, narrowed by the filter search.
#pragma once

#include <QString>
#include <QStringView>
#include <span>
#include <string>
#include <vector>

namespace h7 {

struct ItemListEntry {
  int number;    // global item number: item position + the group's offset
  QString name;  // the whole name line, decoded for display
};

// The search key of a raw search text: blanks at both ends removed, then widened.
// An empty key lists every item.
QString searchKey(QStringView rawText);

// The entries of the Shift-JIS name lines (the first one names item position 1) whose
// decoded name contains the search key of `rawKey`, compared character by character.
std::vector<ItemListEntry> filterItemList(std::span<const std::string> names, int offset, QStringView rawKey);

}  // namespace h7
