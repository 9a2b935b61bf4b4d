// h7select: the desktop program.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include "gui/form1.h"
#include "gui/screen_layout.h"

namespace {

// For scripted checks on a real desktop (tests/desktop): what the user sees, written to the
// file that H7SELECT_STATE names whenever it changes.
void reportState(const Form1& form1, const QString& path) {
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [&form1, path, last = QByteArray()]() mutable {
    QWidget* active = QApplication::activeWindow();
    const QString state = QStringLiteral("active=%1\ntext3=%2\nstatus=%3\n")
                              .arg(active ? active->objectName() : QString(),
                                   form1.findChild<QLineEdit*>(QStringLiteral("Text3"))->text(),
                                   form1.findChild<QLabel*>(QStringLiteral("Label1"))->text());
    if (state.toUtf8() == last) return;
    last = state.toUtf8();
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(last);
  });
  timer->start(50);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("h7select"));
  h7::setUpApplicationLook();
  Form1 form1;
  form1.show();
  if (const QString state = qEnvironmentVariable("H7SELECT_STATE"); !state.isEmpty()) reportState(form1, state);
  return app.exec();
}
