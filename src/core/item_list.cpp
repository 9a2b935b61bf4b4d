#include "core/item_list.h"

#include "core/half_width.h"
#include "core/sjis.h"

namespace h7 {

QString searchKey(QStringView rawText) { return widen(trimBlanks(rawText)); }

std::vector<ItemListEntry> filterItemList(std::span<const std::string> names, int offset, QStringView rawKey) {
  const QString key = searchKey(rawKey);
  std::vector<ItemListEntry> entries;
  for (std::size_t k = 0; k < names.size(); ++k) {
    QString name = sjis::decode(names[k]);
    if (key.isEmpty() || name.contains(key)) entries.push_back({int(k) + 1 + offset, std::move(name)});
  }
  return entries;
}

}  // namespace h7
