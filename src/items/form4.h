// Form4: 選択項目指定画面 (a plain window until its screen is built).
#pragma once

#include <QWidget>

class Form1;

class Form4 : public QWidget {
  Q_OBJECT

 public:
  explicit Form4(Form1* main);

 private:
  Form1* main_;
};
