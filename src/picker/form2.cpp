#include "picker/form2.h"

#include "common/screen_layout.h"
#include "main/form1.h"

Form2::Form2(Form1* main) : main_(main) {
  setAttribute(Qt::WA_DeleteOnClose);
  h7::setUpScreen(this, "Form2", QStringLiteral("ＤＲＩＶＥ／ＦＯＬＤＥＲ／ＦＩＬＥ指定画面"), 6636, 4416);
}
