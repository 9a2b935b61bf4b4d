// Form4's wiring: the fields reach the job parameters with the group of the main screen,
// a failure keeps the screen in front, success hides the item list and brings the main
// screen forward, a closed screen starts afresh.
#include "gui/form4.h"
#include "gui/form5.h"
#include "support/screens.h"
#include "support/testutil.h"

using h7test::click;

class Form4Test : public h7test::ScreenSuite {
  Q_OBJECT

  Form4* form = nullptr;

  QString stored() {
    return h7test::storedValues({params().NFR, params().NTO, params().INT});
  }

 private slots:
  void init() {
    QVERIFY(showMainScreen());
    QVERIFY(form = h7test::open<Form4>(main.get(), "Command4"));
  }
  void cleanup() { main.reset(); }

  void backStoresChecksAndMovesOn() {
    click(form, "Command2");  // the item list is up beside
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    h7test::type(form, "Text1", "２０００");  // above the last item of group 1
    h7test::type(form, "Text15", "3");
    click(form, "Command1");
    QCOMPARE(messages, QStringList{h7::errorMessage(h7::msg::aboveLargestItem())});
    QCOMPARE(h7test::field(form, "Text1")->text(), QStringLiteral("2000"));  // converted in the field
    QVERIFY(QApplication::activeWindow() == form && h7test::screenOf<Form5>()->isVisible());

    click(main.get(), "Option2");  // the bounds are those of the group at the press
    click(form, "Command1");
    QCOMPARE(messages.size(), 1);
    QCOMPARE(stored(), QStringLiteral("2000 0 0 0 0 / 2000 0 0 0 0 / 0 0 0 0 3"));
    QVERIFY(form->isVisible() && h7test::screenOf<Form5>()->isHidden());
    QTRY_COMPARE(QApplication::activeWindow(), main.get());
  }

  void closedScreenStartsAfresh() {
    h7test::type(form, "Text1", "10");
    click(form, "Command1");
    h7test::type(form, "Text4", "1500");
    form->close();  // discarded without conversion, store or check
    QTRY_VERIFY(!h7test::screenOf<Form4>());
    QCOMPARE(stored(), QStringLiteral("10 0 0 0 0 / 10 0 0 0 0 / 0 0 0 0 0"));
    QVERIFY(form = h7test::open<Form4>(main.get(), "Command4"));
    QVERIFY(h7test::field(form, "Text1")->text().isEmpty() && h7test::field(form, "Text4")->text().isEmpty());
  }
};

QTEST_MAIN(Form4Test)
#include "gui_form4.moc"
