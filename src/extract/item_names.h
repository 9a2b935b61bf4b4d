// Item-name files: one name per line, line k naming item position k; read whole into a
// table for the run and for the item list.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <string>
#include <vector>

#include "core/groups.h"
#include "core/item_list.h"
#include "core/messages.h"
#include "extract/census_files.h"
#include "extract/files.h"

namespace h7 {

constexpr int kNameSlots = 1401;  // slots 0..1400; slot 0 stays empty
// A name line longer than this is no name: the file is something else (bounded memory).
constexpr std::size_t kMaxNameBytes = 4096;

// Slot k holds line k exactly as read (Shift-JIS bytes, without the line end).
struct NameTable {
  std::vector<std::string> lines = std::vector<std::string>(kNameSlots);
  int count = 0;  // lines read
};

// Reads every line of an opened item-name file into the table; a 1401st line, a line
// longer than kMaxNameBytes or a read failure stops it.
std::optional<Failure> readNameTable(ByteSource& file, NameTable& table);

// The group's item-name file in the first of the folders (or archives) that holds it (a copy
// whose name differs in case will do); when none does, the failure names every place looked at.
Result<CensusFile> findItemNameFile(const QStringList& folders, const TabulationGroup& group);

// The item list of `group` (1..3; any other number: no group selected) from its item-name
// file, looked for in `folders`, narrowed by the search key of `rawKey`. Up to 1400 lines
// can be listed; a failure names the file.
Result<std::vector<ItemListEntry>> loadItemList(const QStringList& folders, int group, QStringView rawKey);

}  // namespace h7
