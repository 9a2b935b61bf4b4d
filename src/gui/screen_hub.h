// What the other screens ask of the main screen, the hub they talk through. They know it by
// this interface alone, so that no screen includes the main screen that makes them.
#pragma once

#include <QString>
#include <QStringView>
#include <array>
#include <optional>
#include <vector>

#include "core/item_list.h"
#include "core/messages.h"

class ScreenHub {
 public:
  // Form4 "戻る": the item-set rule on its fields; on success the item list hides and the
  // main screen comes to the front.
  virtual std::optional<h7::Failure> storeItemSets(std::array<QString, 15>& fields) = 0;
  // Form6 "戻る": the municipality rule on its fields; on success the main screen comes to the front.
  virtual std::optional<h7::Failure> storeMunicipalities(std::array<QString, 10>& fields) = 0;
  // Form5: the items of the selected group whose names the search text finds.
  virtual h7::Result<std::vector<h7::ItemListEntry>> itemList(QStringView rawKey) const = 0;
  virtual void showItemList() = 0;       // Form4 "一覧表の表示": every item
  virtual void showItemSelection() = 0;  // Form5 "戻る"
  // Form2: a folder change, and a file clicked; the field that TEXTSW names receives it.
  virtual void folderPicked(const QString& folder) = 0;
  virtual void filePicked(const QString& folder, const QString& file) = 0;
  // Form2: whether that field is the data location's (Text1), where archives open as folders.
  virtual bool picksDataLocation() const = 0;

 protected:
  ~ScreenHub() = default;
};
