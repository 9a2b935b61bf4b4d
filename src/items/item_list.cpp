#include "items/item_list.h"

#include "common/sjis.h"
#include "extract/fileio.h"
#include "extract/groups.h"
#include "extract/itemnames.h"
#include "items/item_search.h"

namespace h7 {


QString itemListMessage(const QString& description) { return QStringLiteral("ERROR ") + description; }

ItemList buildItemList(const QString& programFolder, int group, QStringView rawKey) {
  ItemList list;
  const TabulationGroup* g = tabulationGroup(group);
  if (!g) {
    list.failure = noGroupSelected();
    return list;
  }
  NameTable names;
  const QString path = itemNamePath(programFolder, *g);
  if (auto failure = readNameFile(path, names)) {
    list.failure = withPath(*failure, path);
    return list;
  }
  const QString key = searchKey(rawKey);
  list.entries.reserve(std::size_t(names.count));
  for (int k = 1; k <= names.count; ++k) {
    QString name = sjis::decode(names.lines[std::size_t(k)]);
    if (nameMatches(name, key)) list.entries.push_back({k + g->offset, std::move(name)});
  }
  return list;
}

}  // namespace h7
