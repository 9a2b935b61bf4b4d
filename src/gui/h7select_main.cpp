// h7select: the desktop program.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "gui/form1.h"
#include "extract/kernels/choice.h"
#include "gui/screen_layout.h"

namespace {

#ifdef H7_TEST_SEAMS
// For scripted checks on a real desktop (tests/desktop): what the user sees, written to the
// file that H7SELECT_STATE names whenever it changes. The file is made new by the program:
// an existing file, a link or a pipe of that name is left alone and nothing is written.
void reportState(const Form1& form1, const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd < 0) {
    qWarning("H7SELECT_STATE: %s", std::strerror(errno));
    return;
  }
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [&form1, fd, last = QByteArray()]() mutable {
    QWidget* active = QApplication::activeWindow();
    const QString state = QStringLiteral("active=%1\ntext3=%2\nstatus=%3\n")
                              .arg(active ? active->objectName() : QString(),
                                   form1.findChild<QLineEdit*>(QStringLiteral("Text3"))->text(),
                                   form1.findChild<QLabel*>(QStringLiteral("Label1"))->text());
    if (state.toUtf8() == last) return;
    last = state.toUtf8();
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, last.constData(), std::size_t(last.size()), 0) != last.size())
      qWarning("H7SELECT_STATE: %s", std::strerror(errno));
  });
  timer->start(50);
}
#endif

}  // namespace

int main(int argc, char** argv) {
  if (const int refused = h7::refusedKernelChoice()) return refused;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("h7select"));
  h7::setUpApplicationLook();
  Form1 form1;
  form1.show();
#ifdef H7_TEST_SEAMS
  if (const QString state = qEnvironmentVariable("H7SELECT_STATE"); !state.isEmpty()) reportState(form1, state);
#endif
  return app.exec();
}
