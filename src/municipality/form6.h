// Form6: 市区町村選択指定画面, five municipality ranges (start and end code each) and
// the back button that switches the municipality filter and stores the ranges.
#pragma once

#include <QWidget>
#include <array>

class Form1;
class QLabel;
class QLineEdit;
class QPushButton;

class Form6 : public QWidget {
  Q_OBJECT

 public:
  explicit Form6(Form1* main);

  // Text1..Text10: start and end code of range 1, then of range 2, and so on.
  std::array<QLineEdit*, 10> Text;
  QPushButton* Command1;
  QLabel* Label6;

 private:
  void goBack();  // Command1 "戻る"

  Form1* main_;
};
