// Form2: ＤＲＩＶＥ／ＦＯＬＤＥＲ／ＦＩＬＥ指定画面 (a plain window until its screen is built).
#pragma once

#include <QWidget>

class Form1;

class Form2 : public QWidget {
  Q_OBJECT

 public:
  explicit Form2(Form1* main);

 private:
  Form1* main_;
};
