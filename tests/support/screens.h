// Helpers of the screen suites: messages recorded instead of shown, a fresh main screen,
// controls found by their names, typing and clicking as a user does.
#pragma once

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "gui/message_box.h"
#include "gui/screen_layout.h"
#include "gui/form1.h"

namespace h7test {

// The base of a screen suite: the program's look, every message appended to `messages`,
// and for each test a fresh main screen reading item names from the build's program folder.
class ScreenSuite : public QObject {
 protected:
  QStringList messages;
  QWidget* messageOwner = nullptr;  // of the last message
  std::unique_ptr<Form1> main;

  // Item-name files only where a test puts them while the suite runs; the user's folders back after.
  ScreenSuite() : dataHome_(qgetenv("XDG_DATA_HOME")), dataDirs_(qgetenv("XDG_DATA_DIRS")) {
    qputenv("XDG_DATA_HOME", "/nonexistent/h7test");
    qputenv("XDG_DATA_DIRS", "/nonexistent/h7test");
    h7::setUpApplicationLook();
    h7::setMessageRecorder([this](QWidget* owner, const QString& text) { messages << text, messageOwner = owner; });
  }
  bool showMainScreen() {
    messages.clear();
    main = std::make_unique<Form1>();
    params().B_Path = H7_BIN_DIR;
    main->show();
    return QTest::qWaitForWindowActive(main.get());
  }
  h7::JobParams& params() { return main->params(); }
  ~ScreenSuite() override {
    for (const auto& [name, value] : {std::pair("XDG_DATA_HOME", dataHome_), std::pair("XDG_DATA_DIRS", dataDirs_)})
      value.isNull() ? qunsetenv(name) : qputenv(name, value);
  }

 private:
  const QByteArray dataHome_, dataDirs_;
};

// The control of a screen by its name.
template <class W = QWidget>
W* child(QWidget* screen, const char* name) {
  W* w = screen ? screen->findChild<W*>(QLatin1String(name)) : nullptr;
  if (!w) qFatal("no control %s", name);
  return w;
}
inline QLineEdit* field(QWidget* screen, const char* name) { return child<QLineEdit>(screen, name); }
inline void click(QWidget* screen, const char* name) { QTest::mouseClick(child(screen, name), Qt::LeftButton); }

// The screen of this type that exists now, or null.
template <class Screen>
Screen* screenOf() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* s = qobject_cast<Screen*>(w)) return s;
  return nullptr;
}

// The screen a main-screen button opens, once it is visible and active; else null.
template <class Screen>
Screen* open(QWidget* main, const char* button) {
  click(main, button);
  Screen* s = screenOf<Screen>();
  return s && s->isVisible() && QTest::qWaitForWindowActive(s) ? s : nullptr;
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
inline void type(QWidget* screen, const char* name, const QString& text) { typeText(field(screen, name), text); }

}  // namespace h7test
