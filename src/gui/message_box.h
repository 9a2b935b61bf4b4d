// The one way every screen shows a message: a modal box with OK only and the program's
// title. Tests install a recorder instead, so no test ever waits on a dialog.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace h7 {

QString programTitle();

void showMessage(QWidget* parent, const QString& text);

// Replaces the dialog by `recorder` (an empty function restores the dialog).
using MessageRecorder = std::function<void(QWidget* parent, const QString& text)>;
void setMessageRecorder(MessageRecorder recorder);

}  // namespace h7
