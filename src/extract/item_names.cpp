#include "extract/item_names.h"

#include "core/groups.h"
#include "extract/chunks.h"

namespace h7 {

std::optional<Failure> readNameTable(ByteSource& file, NameTable& table) {
  std::optional<Failure> failure;
  auto keep = [&](std::string_view line) {
    if (table.count + 1 >= kNameSlots) failure = msg::outOfRange();
    else if (line.size() > kMaxNameBytes) failure = msg::nameTooLong();
    else table.lines[std::size_t(++table.count)].assign(line);
    return !failure;
  };
  // One byte more than a name may have is kept, so that a longer line is told apart.
  const std::optional<Failure> read = forEachLineOf(file, kMaxNameBytes + 1, 64 * 1024, keep);
  return failure ? failure : read;
}

Result<std::vector<ItemListEntry>> loadItemList(const QString& programFolder, int group, QStringView rawKey) {
  const TabulationGroup* g = tabulationGroup(group);
  if (!g) return msg::noGroupSelected();
  const QString path = itemNamePath(programFolder, *g);
  NameTable names;
  InputFile file;
  std::optional<Failure> failure = file.open(resolveCaseInsensitive(path));
  if (!failure) failure = readNameTable(file, names);
  if (failure) return withPath(*failure, path);
  return filterItemList({names.lines.data() + 1, std::size_t(names.count)}, g->offset, rawKey);
}

}  // namespace h7
