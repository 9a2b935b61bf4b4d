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

Result<QString> findItemNameFile(const QStringList& folders, const TabulationGroup& group) {
  QStringList places;
  for (const QString& folder : folders) {
    const QString path = resolveCaseInsensitive(itemNamePath(folder, group));
    if (fileExists(path)) return path;
    places << itemNamePath(folder, group);
  }
  return withPath(msg::fileNotFound(), places.join(QStringLiteral(", ")));
}

Result<std::vector<ItemListEntry>> loadItemList(const QStringList& folders, int group, QStringView rawKey) {
  const TabulationGroup* g = tabulationGroup(group);
  if (!g) return msg::noGroupSelected();
  const Result<QString> path = findItemNameFile(folders, *g);
  if (!path) return path.failure();
  NameTable names;
  InputFile file;
  std::optional<Failure> failure = file.open(*path);
  if (!failure) failure = readNameTable(file, names);
  if (failure) return withPath(*failure, *path);
  return filterItemList({names.lines.data() + 1, std::size_t(names.count)}, g->offset, rawKey);
}

}  // namespace h7
