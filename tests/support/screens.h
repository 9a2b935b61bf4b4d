// Helpers of the screen suites: messages recorded instead of shown, a fresh main screen,
// typing, clicking and tabbing as a user does.
#pragma once

#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QtTest>
#include <memory>

#include "common/messagebox.h"
#include "common/screen_layout.h"
#include "main/form1.h"

namespace h7test {

// The base of a screen suite: the program's look, every message appended to `messages`,
// and for each test a fresh main screen reading item names from the build's program folder.
class ScreenSuite : public QObject {
 protected:
  QStringList messages;
  std::unique_ptr<Form1> main;

  ScreenSuite() {
    h7::setUpApplicationLook();
    h7::setMessageRecorder([this](QWidget*, const QString& text) { messages << text; });
  }
  bool showMainScreen() {
    messages.clear();
    main = std::make_unique<Form1>();
    main->B_Path = H7_BIN_DIR;
    main->show();
    return QTest::qWaitForWindowActive(main.get());
  }
};

// The screen a main-screen button opens, once it is visible and active; else null.
template <class Screen>
Screen* open(QPushButton* button, const QPointer<Screen>& slot) {
  QTest::mouseClick(button, Qt::LeftButton);
  return slot && slot->isVisible() && QTest::qWaitForWindowActive(slot.data()) ? slot.data() : nullptr;
}

inline void chooseGroup(Form1& main, int group) {
  QRadioButton* options[] = {main.Option1, main.Option2, main.Option3};
  QTest::mouseClick(options[group - 1], Qt::LeftButton);
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

// Text1..Text<count> of a screen.
inline QList<QLineEdit*> textFields(QWidget* screen, int count) {
  QList<QLineEdit*> fields;
  for (int i = 1; i <= count; ++i) fields << screen->findChild<QLineEdit*>(QStringLiteral("Text%1").arg(i));
  return fields;
}

// "start,end;start,end" typed row by row into fields of `width` to a row; the rest emptied.
inline void typeRows(const QList<QLineEdit*>& fields, int width, const QString& rows) {
  for (QLineEdit* field : fields) field->clear();
  const QStringList parts = rows.split(u';');
  for (qsizetype r = 0; r < parts.size(); ++r) {
    const QStringList values = parts[r].split(u',');
    for (qsizetype v = 0; v < values.size(); ++v) typeText(fields[r * width + v], values[v]);
  }
}

// The fields in the same form, empty parts at the end of a row and of the whole dropped.
inline QString rowTexts(const QList<QLineEdit*>& fields, int width) {
  QString text;
  for (qsizetype i = 0; i < fields.size(); ++i) text += fields[i]->text() + (i % width == width - 1 ? ';' : ',');
  return text.replace(QRegularExpression(",+;"), ";").remove(QRegularExpression("[,;]+$"));
}

// Where the Tab key leads from `first`: the object names of `count` focused controls.
inline QStringList focusChain(QWidget* first, int count) {
  first->setFocus();
  QStringList names;
  for (QWidget* at; names.size() < count && (at = QApplication::focusWidget());) {
    names << at->objectName();
    QTest::keyClick(at, Qt::Key_Tab);
  }
  return names;
}

}  // namespace h7test
