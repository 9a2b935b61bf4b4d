#include "gui/message_box.h"

#include <QMessageBox>

namespace h7 {

namespace {
MessageRecorder& recorder() {
  static MessageRecorder r;
  return r;
}
}  // namespace

QString programTitle() { return QStringLiteral("h7select"); }

void showMessage(QWidget* parent, const QString& text) {
  if (recorder()) {
    recorder()(parent, text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, programTitle(), text, QMessageBox::Ok, parent);
  box.exec();
}

void setMessageRecorder(MessageRecorder r) { recorder() = std::move(r); }

}  // namespace h7
