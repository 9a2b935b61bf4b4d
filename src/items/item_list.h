// The item list of the item list screen, without its window: the item numbers and
// names of the selected group, read afresh from its item-name file and narrowed by a
// search text.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace h7 {

struct ItemListEntry {
  int number;    // global item number: item position + the group's offset
  QString name;  // the whole name line, decoded for display
};

struct ItemList {
  std::vector<ItemListEntry> entries;  // in file order
  std::optional<QString> failure;      // description of the failure; then no entries
};

// Reads the item-name file of `group` (1..3; any other number: no group selected) from
// `programFolder` and keeps the lines whose name contains the search key of `rawKey`
// (blanks only: every line). Each entry keeps its own item number. Up to 1400 lines can
// be listed; a 1401st line, a missing file or a read error is a failure.
ItemList buildItemList(const QString& programFolder, int group, QStringView rawKey);

// The message shown for a failure: "ERROR " (one blank) and the description.
QString itemListMessage(const QString& description);

}  // namespace h7
