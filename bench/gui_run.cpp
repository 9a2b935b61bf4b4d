// gui_run: one run of the desktop program's main screen, driven without a display, for
// bench/run. It fills the input folder, output file and prefecture fields, item set 1
// (1 to 991, every 10th) and the folder of the item-name files, clicks the run button and
// prints the seconds the click took and the status line. Group 1, raw values, no
// municipality filter: the screen's defaults.
//
// Usage: gui_run INPUT_DIR OUTPUT_FILE PREF NAMES_DIR
// Exit status: 0 when the status line reports completion, 1 otherwise, 2 bad arguments.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <cstdio>

#include "extract/kernels/choice.h"
#include "gui/message_box.h"
#include "gui/screen_layout.h"
#include "gui/form1.h"

int main(int argc, char** argv) {
  if (const int refused = h7::refusedKernelChoice()) return refused;  // as h7select refuses it
  if (argc != 5) {
    std::fprintf(stderr, "Usage: gui_run INPUT_DIR OUTPUT_FILE PREF NAMES_DIR\n");
    return 2;
  }
  // No window system needed; an explicit QT_QPA_PLATFORM still wins.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("h7select"));
  h7::setUpApplicationLook();

  // A message box would wait for a click: record the messages instead.
  QStringList messages;
  h7::setMessageRecorder([&messages](QWidget*, const QString& text) { messages << text; });

  Form1 form1;
  form1.show();
  QCoreApplication::processEvents();

  auto field = [&](const char* name) { return form1.findChild<QLineEdit*>(QLatin1String(name)); };
  field("Text1")->setText(QString::fromLocal8Bit(argv[1]));
  field("Text2")->setText(QString::fromLocal8Bit(argv[2]));
  field("Text3")->setText(QString::fromLocal8Bit(argv[3]));
  h7::JobParams& params = form1.params();
  params.B_Path = QString::fromLocal8Bit(argv[4]);
  params.NFR[0].assign(1);
  params.NTO[0].assign(991);
  params.INT[0].assign(10);

  QElapsedTimer clock;
  clock.start();
  form1.findChild<QPushButton*>(QStringLiteral("Command3"))->click();
  const double seconds = double(clock.nsecsElapsed()) / 1e9;

  const QString status = form1.findChild<QLabel*>(QStringLiteral("Label1"))->text();
  std::printf("seconds: %.3f\nLabel1: %s\n", seconds, status.toUtf8().constData());
  for (const QString& m : messages) std::printf("message: %s\n", m.toUtf8().constData());
  return status.startsWith(QStringLiteral("正常終了")) ? 0 : 1;
}
