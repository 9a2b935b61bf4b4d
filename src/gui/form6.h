// Form6: 市区町村選択指定画面, five municipality ranges (start and end code each) and
// the back button that switches the municipality filter and stores the ranges.
#pragma once

#include <QWidget>
#include <array>

class ScreenHub;
class QLineEdit;

class Form6 : public QWidget {
  Q_OBJECT

 public:
  explicit Form6(ScreenHub* main);

 private:
  void goBack();  // Command1 "戻る"

  ScreenHub* main_;
  // Start and end code of range 1 (Text1, Text2), of range 2 (Text3, Text4), ...
  std::array<QLineEdit*, 10> fields_;
};
