// Typing as a user does: ASCII through key clicks, other characters (full-width digits,
// kana) as the input method commits them.
#pragma once

#include <QApplication>
#include <QInputMethodEvent>
#include <QtTest>

namespace h7test {

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
