// Form6 driven as a user would: typing into the ten fields and pressing 戻る (a run that
// keeps exactly the records of the chosen municipalities is in gui_form1).
#include <QPushButton>
#include <QtTest>

#include "common/numeric.h"
#include "municipality/form6.h"
#include "municipality/ranges_check.h"
#include "support/screens.h"
#include "support/testutil.h"

using h7::JobParams;

class Form6Test : public h7test::ScreenSuite {
  Q_OBJECT

  Form6* screen = nullptr;

  QList<QLineEdit*> fields() { return h7test::textFields(screen, 10); }

 private slots:
  void init() {
    QVERIFY(showMainScreen());
    QVERIFY(screen = h7test::open(main->Command6, main->form6));
  }
  void cleanup() { main.reset(); }

  void screenAsDrawn() {
    QCOMPARE(screen->windowTitle(), QStringLiteral("市区町村選択指定画面"));
    QCOMPARE(screen->size(), QSize(215, 312));  // 3228 x 4680 twips
    QCOMPARE(screen->Label6->palette().color(QPalette::WindowText), QColor(0, 0, 192));
    QCOMPARE(screen->Label6->geometry(), QRect(8, 8, 193, 65));
    QVERIFY(screen->Label6->heightForWidth(screen->Label6->width()) <= screen->Label6->height());  // the note fits
    for (QLineEdit* field : fields()) QCOMPARE(field->maxLength(), 3);
    QCOMPARE(screen->Text1->geometry(), QRect(40, 112, 73, 25));
    QCOMPARE(screen->Command1->geometry(), QRect(88, 280, 121, 25));
    QCOMPARE(h7test::focusChain(screen->Text1, 12), (QStringList{"Text1", "Text2", "Text3", "Text4", "Text5", "Text6",
                                                                 "Text7", "Text8", "Text9", "Text10", "Command1", "Text1"}));
  }

  // Each case starts from stored values that a check can tell apart from new ones.
  void backOperation_data() {
    QTest::addColumn<QString>("typed");    // "start,end;start,end;..." for ranges 1 to 5
    QTest::addColumn<QString>("message");  // empty: success, the main screen in front
    QTest::addColumn<QString>("filter");   // SHI_SW afterwards
    QTest::addColumn<QString>("ranges");   // SFR1..5 / STO1..5 afterwards
    QTest::addColumn<QString>("shown");    // the fields afterwards
    auto row = [](const char* name, const QString& typed, const QString& message, const QString& ranges,
                  const QString& shown = "as typed", const QString& filter = "ON") {
      QTest::newRow(name) << typed << message << filter << ranges << (shown == "as typed" ? typed : shown);
    };
    const QString unknown = h7::rangemsg::unknownCode(), overflow = "ERROR  " + h7::overflowDescription();
    row("Text1 empty: nothing converted, stored or checked", ",１０１;201,205;;;,9e9", "",
        "11 12 13 14 15 / 21 22 23 24 25", "as typed", "OFF");
    row("a blank switches it on", " ", "", "0 0 0 0 0 / 0 0 0 0 0");
    row("99", "99", unknown, "99 0 0 0 0 / 0 0 0 0 0");
    row("100 and 999", "100;999", "", "100 999 0 0 0 / 100 999 0 0 0");
    row("start 0, end 50", "0,50", "", "0 0 0 0 0 / 50 0 0 0 0");
    row("start after end checked first", "50;105,101", h7::rangemsg::startAfterEnd(), "50 105 0 0 0 / 0 101 0 0 0");
    row("050", "050", unknown, "50 0 0 0 0 / 0 0 0 0 0");
    row("1e3 as an end", "101,1e3", unknown, "101 0 0 0 0 / 1000 0 0 0 0");
    row(".5 in range 1", ".5", unknown, ".5 0 0 0 0 / 0 0 0 0 0");
    row(".5 in range 5", "101;;;;.5", "", "101 0 0 0 0 / 101 0 0 0 0");
    row("1.5 in range 5", "101;;;;1.5", unknown, "101 0 0 0 2 / 0 0 0 0 0");
    row("1e5 in range 3", "101;;1e5", unknown, "101 0 100000 0 0 / 0 0 0 0 0");
    row("1e5 as start of range 5", "１０１;;;;1e5,２", overflow, "101 0 0 0 15 / 21 22 23 24 25", "101;;;;1e5,2");
    row("1e5 as end of range 5", "101;;;;101,1e5", overflow, "101 0 0 0 101 / 0 0 0 0 25");
    row("full-width digits", "２０１,２０５;３０１", "", "201 301 0 0 0 / 205 301 0 0 0", "201,205;301");
  }
  void backOperation() {
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, filter);
    QFETCH(QString, ranges);
    QFETCH(QString, shown);
    for (int i = 0; i < 5; ++i) {
      (main.get()->*JobParams::rangeFirst[i]).assign(11 + i);
      (main.get()->*JobParams::rangeLast[i]).assign(21 + i);
    }
    main->SHI_SW = filter == "ON" ? "OFF" : "ON";  // so that the switch has to change

    h7test::typeRows(fields(), 2, typed);
    QTest::mouseClick(screen->Command1, Qt::LeftButton);
    QCOMPARE(messages, message.isEmpty() ? QStringList{} : QStringList{message});
    QCOMPARE(main->SHI_SW, filter);
    QCOMPARE(h7test::storedValues(*main, {JobParams::rangeFirst, JobParams::rangeLast}), ranges);
    QCOMPARE(h7test::rowTexts(fields(), 2), shown);
    QVERIFY(screen->isVisible());  // stays open, in front on failure, behind on success
    if (message.isEmpty()) {
      QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(main.get()));
    } else {
      QTest::qWait(50);  // an activation would have arrived by now
      QCOMPARE(QApplication::activeWindow(), screen);
    }
  }

  void fieldsKeptBetweenVisitsAndDroppedOnClose() {
    h7test::typeText(screen->Text1, "201");
    QTest::mouseClick(screen->Command1, Qt::LeftButton);
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(main.get()));
    QTest::mouseClick(main->Command6, Qt::LeftButton);
    QCOMPARE(main->form6.data(), screen);
    QCOMPARE(screen->Text1->text(), QStringLiteral("201"));

    screen->close();  // discarded: fields go, stored values stay
    QTRY_VERIFY(!main->form6);
    QVERIFY(screen = h7test::open(main->Command6, main->form6));
    QVERIFY(screen->Text1->text().isEmpty());
    QCOMPARE(double(main->SFR1), 201.0);
  }
};

QTEST_MAIN(Form6Test)
#include "gui_form6.moc"
