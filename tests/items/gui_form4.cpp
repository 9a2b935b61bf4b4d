// Form4 driven as a user would: typing into the fifteen fields, "戻る" with the group of
// the main screen, and the item list (a run with the chosen items is in gui_form1).
#include <QPushButton>
#include <QtTest>

#include "common/numeric.h"
#include "items/form4.h"
#include "items/form5.h"
#include "items/itemsets_check.h"
#include "support/screens.h"
#include "support/testutil.h"

using h7::JobParams;

class Form4Test : public h7test::ScreenSuite {
  Q_OBJECT

  Form4* form = nullptr;

  QList<QLineEdit*> fields() { return h7test::textFields(form, 15); }
  // "start,end,interval;start,..." for sets 1 to 5, Text1..Text15.
  void typeSets(const QString& sets) { h7test::typeRows(fields(), 3, sets); }
  QString fieldTexts() { return h7test::rowTexts(fields(), 3); }
  // "NFR1..5 / NTO1..5 / INT1..5".
  QString stored() {
    return h7test::storedValues(*main, {JobParams::itemFirst, JobParams::itemLast, JobParams::itemInterval});
  }

 private slots:
  void init() {
    QVERIFY(showMainScreen());
    QVERIFY(form = h7test::open(main->Command4, main->form4));
  }
  void cleanup() { main.reset(); }

  void screenAsDrawn() {
    QCOMPARE(form->windowTitle(), QStringLiteral("選択項目指定画面"));
    QCOMPARE(form->size(), QSize(262, 290));  // 3924 x 4344 twips
    QCOMPARE(form->Label6->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    for (int i = 0; i < 15; ++i) QCOMPARE(fields()[i]->maxLength(), i % 3 == 2 ? 2 : 4);
    QCOMPARE(form->Text13->geometry(), QRect(40, 216, 65, 25));
    QCOMPARE(h7test::focusChain(form->Text1, 18),
             (QStringList{"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Text9", "Text10",
                          "Text11", "Text12", "Text13", "Text14", "Text15", "Command1", "Command2", "Text1"}));
  }

  void back_data() {
    QTest::addColumn<int>("group");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");  // the fields afterwards
    auto row = [](const char* name, int group, const QString& typed, const QString& message, const QString& stored,
                  const QString& shown = "as typed") {
      QTest::newRow(name) << group << typed << message << stored << (shown == "as typed" ? typed : shown);
    };
    const QString ok, below = h7::itemmsg::belowSmallest(), above = h7::itemmsg::aboveLargest(),
                      interval = h7::itemmsg::badInterval(), order = h7::itemmsg::startAfterEnd();
    row("all empty", 1, "", ok, "0 0 0 0 0 / 0 0 0 0 0 / 0 0 0 0 0");
    row("fields to sets", 1, "1,2,3;4,5,6;7,8,9;10,11,12;13,14,15", ok, "1 4 7 10 13 / 2 5 8 11 14 / 3 6 9 12 15");
    row("end taken from start", 1, "5", ok, "5 0 0 0 0 / 5 0 0 0 0 / 0 0 0 0 0");
    row("その２ start 100", 2, "100", below, "100 0 0 0 0 / 0 0 0 0 0 / 0 0 0 0 0");
    row("その２ end 100", 2, ",100", below, "0 0 0 0 0 / 100 0 0 0 0 / 0 0 0 0 0");
    row("その３ last item", 3, "3052", ok, "3052 0 0 0 0 / 3052 0 0 0 0 / 0 0 0 0 0");
    row("その３ past the last", 3, ";;;;3053", above, "0 0 0 0 3053 / 0 0 0 0 0 / 0 0 0 0 0");
    row("converted in the field, truncated toward zero", 2, "１３６２,－３．７,ａ;　５０", below,
        "1362 50 0 0 0 / -3 0 0 0 0 / 0 0 0 0 0", "1362,-3.7,a; 50");
    row("fraction and exponent, set 5 too", 1, "12.9;1e3;;;12.9,12.9", ok, "12 1000 0 0 12 / 12 1000 0 0 12 / 0 0 0 0 0");
    row("negative interval of an unused set", 1, ";,,-1", interval, "0 0 0 0 0 / 0 0 0 0 0 / 0 -1 0 0 0");
    // The checks in their order, each over all five sets: starts below, starts above, ends
    // above, ends below, intervals, then start after end set by set.
    row("starts below before starts above", 2, "9999;;;;100", below, "9999 0 0 0 100 / 0 0 0 0 0 / 0 0 0 0 0");
    row("ends above before ends below", 2, ",100;,9999", above, "0 0 0 0 0 / 100 9999 0 0 0 / 0 0 0 0 0");
    row("ends below before interval", 2, ";;;;,100,-1", below, "0 0 0 0 0 / 0 0 0 0 100 / 0 0 0 0 -1");
    row("interval before start after end", 1, "5,4,-1", interval, "5 0 0 0 0 / 4 0 0 0 0 / -1 0 0 0 0");
    row("start after end", 1, "10,20;30,25", order, "10 30 0 0 0 / 20 25 0 0 0 / 0 0 0 0 0");
    row("substitution kept before the failure", 1, ";30;50,40", order, "0 30 50 0 0 / 0 30 40 0 0 / 0 0 0 0 0");
    row("set 5 overflow", 1, "7;;;;9e9", "ERROR  " + h7::overflowDescription(), "7 0 0 0 0 / 0 0 0 0 0 / 0 0 0 0 0");
  }
  void back() {
    QFETCH(int, group);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    h7test::chooseGroup(*main, group);
    QTest::mouseClick(form->Command2, Qt::LeftButton);  // the item list is up beside
    QVERIFY(main->form5 && main->form5->isVisible());
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));

    typeSets(typed);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(messages, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(fieldTexts(), shown);
    QCOMPARE(this->stored(), stored);
    QVERIFY(form->isVisible());
    if (message.isEmpty()) {
      QVERIFY(main->form5->isHidden());
      QTRY_COMPARE(QApplication::activeWindow(), main.get());
    } else {
      QVERIFY(main->form5->isVisible());
      QCOMPARE(QApplication::activeWindow(), form);
    }
  }

  // The bounds are those of the group selected when "戻る" is pressed.
  void groupSwitchedBetweenTwoPresses() {
    typeSets("2000");
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(messages, QStringList{h7::itemmsg::aboveLargest()});
    h7test::chooseGroup(*main, 2);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(stored(), QStringLiteral("2000 0 0 0 0 / 2000 0 0 0 0 / 0 0 0 0 0"));
  }

  void closedScreenStartsAfresh() {
    typeSets("10,20");
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    h7test::typeText(form->Text4, "1500");
    form->close();  // discarded without conversion, store or check
    QTRY_VERIFY(!main->form4);
    QCOMPARE(stored(), QStringLiteral("10 0 0 0 0 / 20 0 0 0 0 / 0 0 0 0 0"));
    QVERIFY(form = h7test::open(main->Command4, main->form4));
    QCOMPARE(fieldTexts(), QString());
    QVERIFY(messages.isEmpty());
  }
};

QTEST_MAIN(Form4Test)
#include "gui_form4.moc"
