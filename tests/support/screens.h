// Helpers of the screen suites: messages recorded instead of shown, a fresh main screen,
// and typing as a user does.
#pragma once

#include <QApplication>
#include <QInputMethodEvent>
#include <QStringList>
#include <QtTest>
#include <memory>

#include "common/messagebox.h"
#include "common/screen_layout.h"
#include "main/form1.h"

namespace h7test {

// Once per suite: the program's look, and every message appended to `messages`.
inline void recordMessages(QStringList& messages) {
  h7::setUpApplicationLook();
  h7::setMessageRecorder([&messages](QWidget*, const QString& text) { messages << text; });
}

// A fresh main screen, shown, reading item names from the build's program folder.
// The caller waits for it to become active (QTest::qWaitForWindowActive).
inline std::unique_ptr<Form1> showMainScreen() {
  auto main = std::make_unique<Form1>();
  main->B_Path = H7_BIN_DIR;
  main->show();
  return main;
}

// ASCII through key clicks; other characters (full-width digits, kana) as the input
// method commits them.
inline void typeText(QWidget* field, const QString& text) {
  for (QChar ch : text) {
    if (ch.unicode() < 0x80) {
      QTest::keyClick(field, ch.toLatin1());
    } else {
      QInputMethodEvent commit;
      commit.setCommitString(ch);
      QApplication::sendEvent(field, &commit);
    }
  }
}

}  // namespace h7test
