// Form5: 項目一覧表示 (a plain window until its screen is built).
#pragma once

#include <QWidget>

class Form1;

class Form5 : public QWidget {
  Q_OBJECT

 public:
  explicit Form5(Form1* main);

 private:
  Form1* main_;
};
