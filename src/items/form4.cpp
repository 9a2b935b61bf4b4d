#include "items/form4.h"

#include "common/screen_layout.h"
#include "main/form1.h"

Form4::Form4(Form1* main) : main_(main) {
  setAttribute(Qt::WA_DeleteOnClose);
  h7::setUpScreen(this, "Form4", QStringLiteral("選択項目指定画面"), 3924, 4344);
}
