// Form5, the item list screen (項目一覧表示): the item numbers and names of the group
// selected on the main screen, optionally narrowed by a search text.
#pragma once

#include <QWidget>

class ScreenHub;
class QLineEdit;
class QTableWidget;

class Form5 : public QWidget {
  Q_OBJECT

 public:
  explicit Form5(ScreenHub* main);

  // Reads the item-name file afresh and lists the items whose name contains the search
  // key of `rawKey`, then shows the screen (or brings it to the front). On a failure the
  // message is shown and the list and the screen's visibility stay as they were.
  void FillItemList(const QString& rawKey);

 private:
  ScreenHub* main_;
  QTableWidget* FGrid1;  // row 0 the heading, column 0 the item numbers, column 1 the names
  QLineEdit* Text1;      // search text
};
