// Form6: 市区町村選択指定画面 (a plain window until its screen is built).
#pragma once

#include <QWidget>

class Form1;

class Form6 : public QWidget {
  Q_OBJECT

 public:
  explicit Form6(Form1* main);

 private:
  Form1* main_;
};
