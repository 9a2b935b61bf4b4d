#include "extract/item_names.h"

#include "extract/chunks.h"

namespace h7 {

std::optional<Failure> readNameTable(ByteSource& file, NameTable& table) {
  std::optional<Failure> failure;
  auto keep = [&](std::string_view line) {
    if (table.count + 1 >= kNameSlots) failure = msg::tooManyNames(kNameSlots - 1);
    else if (line.size() > kMaxNameBytes) failure = msg::nameTooLong();
    else table.lines[std::size_t(++table.count)].assign(line);
    return !failure;
  };
  // One byte more than a name may have is kept, so that a longer line is told apart; one
  // that is longer because it holds lines of the other line end says so.
  const std::optional<Failure> read = forEachLineOf(file, kMaxNameBytes + 1, 64 * 1024, keep, kMaxNameBytes);
  return failure ? failure : read;
}

Result<CensusFile> findItemNameFile(const QStringList& folders, const TabulationGroup& group) {
  QStringList places;
  for (const QString& folder : folders) {
    Result<CensusFile> found = findCensusFile(folder, itemNameFileName(group));
    if (!found || !found->missing) return found;
    places << (isArchiveLocation(folder) ? found->path : itemNamePath(folder, group));
  }
  return withPath(msg::fileNotFound(), places.join(QStringLiteral(", ")));
}

Result<std::vector<ItemListEntry>> loadItemList(const QStringList& folders, int group, QStringView rawKey) {
  const TabulationGroup* g = tabulationGroup(group);
  if (!g) return msg::noGroupSelected();
  const Result<CensusFile> found = findItemNameFile(folders, *g);
  if (!found) return found.failure();
  Result<std::unique_ptr<ByteSource>> file = openCensusFile(*found);
  if (!file) return file.failure();
  NameTable names;
  if (auto failure = readNameTable(**file, names)) return withPath(*failure, found->shown());
  return filterItemList({names.lines.data() + 1, std::size_t(names.count)}, g->offset, rawKey);
}

}  // namespace h7
