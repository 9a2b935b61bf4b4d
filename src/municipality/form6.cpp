#include "municipality/form6.h"

#include "common/screen_layout.h"
#include "main/form1.h"

Form6::Form6(Form1* main) : main_(main) {
  setAttribute(Qt::WA_DeleteOnClose);
  h7::setUpScreen(this, "Form6", QStringLiteral("市区町村選択指定画面"), 3228, 4680);
}
