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

  // Start and end code of range 1 (Text1, Text2), of range 2 (Text3, Text4), ...
  QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5, *Text6, *Text7, *Text8, *Text9, *Text10;
  const std::array<QLineEdit*, 10>& fields() const { return fields_; }  // Text1..Text10
  QPushButton* Command1;
  QLabel* Label6;

 private:
  void goBack();  // Command1 "戻る"

  Form1* main_;
  std::array<QLineEdit*, 10> fields_;
};
