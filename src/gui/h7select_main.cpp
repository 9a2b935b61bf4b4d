// h7select: the desktop program.
#include <QApplication>

#include "gui/screen_layout.h"
#include "gui/form1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("h7select"));
  h7::setUpApplicationLook();
  Form1 form1;
  form1.show();
  return app.exec();
}
