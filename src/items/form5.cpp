#include "items/form5.h"

#include "common/screen_layout.h"
#include "main/form1.h"

Form5::Form5(Form1* main) : main_(main) {
  setAttribute(Qt::WA_DeleteOnClose);
  h7::setUpScreen(this, "Form5", QStringLiteral("項目一覧表示"), 9012, 5592);
}
