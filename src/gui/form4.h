// Form4, the item selection screen (選択項目指定画面): five item sets of start item
// number, end item number and interval. "戻る" converts, stores and checks them into
// the job parameters; "一覧表の表示" opens the item list.
#pragma once

#include <QWidget>
#include <array>

class ScreenHub;
class QLineEdit;

class Form4 : public QWidget {
  Q_OBJECT

 public:
  explicit Form4(ScreenHub* main);

 private:
  void back();  // Command1

  ScreenHub* main_;
  // Start, end and interval of set 1 (Text1..Text3), set 2 (Text4..Text6), ...
  std::array<QLineEdit*, 15> fields_;
};
