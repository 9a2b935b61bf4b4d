// Form4 driven as a user would: typing into the fifteen fields, "戻る" with the group of
// the main screen, the item list, and a run from the main screen with the chosen items.
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "common/messagebox.h"
#include "common/numeric.h"
#include "common/screen_layout.h"
#include "items/form4.h"
#include "items/form5.h"
#include "items/itemsets_check.h"
#include "main/form1.h"
#include "support/testutil.h"
#include "support/screens.h"

using h7::JobParams;

class Form4Test : public QObject {
  Q_OBJECT

  QStringList messages;
  std::unique_ptr<Form1> main;
  Form4* form = nullptr;

  QLineEdit* field(int i) { return form->findChild<QLineEdit*>(QStringLiteral("Text%1").arg(i + 1)); }

  // "start,end,interval;start,..." for sets 1 to 5, typed into Text1..Text15.
  void typeSets(const QString& sets) {
    for (int i = 0; i < 15; ++i) field(i)->clear();
    const QStringList parts = sets.split(u';');
    for (qsizetype s = 0; s < parts.size(); ++s) {
      const QStringList values = parts[s].split(u',');
      for (qsizetype v = 0; v < values.size(); ++v) h7test::typeText(field(int(3 * s + v)), values[v]);
    }
  }
  // The fields in the same form, trailing empty parts dropped.
  QString fieldTexts() {
    QStringList sets;
    for (int s = 0; s < 5; ++s) {
      QString set = field(3 * s)->text() + u',' + field(3 * s + 1)->text() + u',' + field(3 * s + 2)->text();
      while (set.endsWith(u',')) set.chop(1);
      sets << set;
    }
    while (!sets.isEmpty() && sets.last().isEmpty()) sets.removeLast();
    return sets.join(u';');
  }
  // "NFR1..5 / NTO1..5 / INT1..5".
  QString stored() {
    QStringList columns;
    for (auto column : {JobParams::itemFirst, JobParams::itemLast, JobParams::itemInterval}) {
      QStringList values;
      for (int i = 0; i < 5; ++i) values << QString::fromStdString(h7::canonicalNumber((*main).*column[i]));
      columns << values.join(u' ');
    }
    return columns.join(QStringLiteral(" / "));
  }
  void chooseGroup(int group) {
    QRadioButton* options[] = {main->Option1, main->Option2, main->Option3};
    QTest::mouseClick(options[group - 1], Qt::LeftButton);
    QCOMPARE(main->selectedGroup(), group);
  }
  void openForm4() {
    QTest::mouseClick(main->Command4, Qt::LeftButton);
    form = main->form4;
    QVERIFY(form && form->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(form));
  }

 private slots:
  void initTestCase() { h7test::recordMessages(messages); }
  void init() {
    messages.clear();
    main = h7test::showMainScreen();
    QVERIFY(QTest::qWaitForWindowActive(main.get()));
    openForm4();
  }
  void cleanup() { main.reset(); }

  void screenAsDescribed() {
    QCOMPARE(form->windowTitle(), QStringLiteral("選択項目指定画面"));
    QCOMPARE(form->size(), QSize(262, 290));  // 3924 x 4344 twips
    QCOMPARE(form->Text13->geometry(), QRect(40, 216, 65, 25));
    QCOMPARE(form->Line10->geometry().top(), 232);  // 3240 + 240 twips
    QCOMPARE(form->Label6->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    for (int i = 0; i < 15; ++i) {
      QCOMPARE(field(i)->maxLength(), i % 3 == 2 ? 2 : 4);
      QCOMPARE(field(i)->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    }
    h7test::typeText(form->Text1, "12345");
    h7test::typeText(form->Text3, "１２３");
    QCOMPARE(form->Text1->text(), QStringLiteral("1234"));
    QCOMPARE(form->Text3->text(), QStringLiteral("１２"));

    const QString start = "選択する項目番号。範囲指定の場合は開始項目番号を指定する。";
    const QString end = "範囲指定の場合には終了項目番号を指定する。範囲指定でない場合は空白のままでよい。";
    const QString interval = "範囲指定でかつ１以外の間隔で選択する場合のみその数値を記入する";
    const struct {
      const char* name;
      QString caption, tooltip;
    } controls[] = {
        {"Label6", "選択出力する項目番号を開始欄に指定します。　終了番号の指定で範囲選択も可能です。", ""},
        {"Label7", "選択開始項目番号", ""}, {"Label8", "選択終了項目番号", ""}, {"Label9", "選択間隔", ""},
        {"Label1", "１組", ""},  {"Label5", "５組", ""},     {"Text1", "", start},  {"Text14", "", end},
        {"Text15", "", interval}, {"Command1", "戻る", "主画面へ戻ります"},
        {"Command2", "一覧表の表示", "項目番号と項目名称の一覧表を表示します"},
    };
    for (const auto& c : controls) {
      QWidget* w = form->findChild<QWidget*>(c.name);
      QVERIFY2(w, c.name);
      QString caption;
      if (auto* b = qobject_cast<QPushButton*>(w)) caption = b->text();
      if (auto* l = qobject_cast<QLabel*>(w)) caption = l->text();
      QCOMPARE(caption, c.caption);
      QCOMPARE(w->toolTip(), c.tooltip);
    }
  }

  void tabGoesRowByRowThenToTheButtons() {
    form->Text1->setFocus();
    QStringList visited;
    for (int i = 0; i < 18; ++i) {
      visited << QApplication::focusWidget()->objectName();
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(visited, (QStringList{"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Text9",
                                   "Text10", "Text11", "Text12", "Text13", "Text14", "Text15", "Command1", "Command2",
                                   "Text1"}));
  }

  void back_data() {
    QTest::addColumn<int>("group");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");  // the fields afterwards
    QTest::addColumn<QString>("stored");
    const QString ok, below = h7::itemmsg::belowSmallest(), above = h7::itemmsg::aboveLargest(),
                      interval = h7::itemmsg::badInterval(), order = h7::itemmsg::startAfterEnd();
    const QString zeros = "0 0 0 0 0 / 0 0 0 0 0 / 0 0 0 0 0";
    QTest::newRow("all empty") << 1 << "" << ok << "" << zeros;
    QTest::newRow("fields to sets") << 1 << "1,2,3;4,5,6;7,8,9;10,11,12;13,14,15" << ok
                                    << "1,2,3;4,5,6;7,8,9;10,11,12;13,14,15" << "1 4 7 10 13 / 2 5 8 11 14 / 3 6 9 12 15";
    QTest::newRow("end taken from start") << 1 << "5" << ok << "5" << "5 0 0 0 0 / 5 0 0 0 0 / 0 0 0 0 0";
    QTest::newRow("その２ start 100") << 2 << "100" << below << "100" << "100 0 0 0 0 / 0 0 0 0 0 / 0 0 0 0 0";
    QTest::newRow("その２ end 100") << 2 << ",100" << below << ",100" << "0 0 0 0 0 / 100 0 0 0 0 / 0 0 0 0 0";
    QTest::newRow("その１ end only") << 1 << ",100" << ok << ",100" << "0 0 0 0 0 / 100 0 0 0 0 / 0 0 0 0 0";
    QTest::newRow("その３ last item") << 3 << "3052" << ok << "3052" << "3052 0 0 0 0 / 3052 0 0 0 0 / 0 0 0 0 0";
    QTest::newRow("その３ past the last") << 3 << ";;;;3053" << above << ";;;;3053" << "0 0 0 0 3053 / " "0 0 0 0 0 / 0 0 0 0 0";
    QTest::newRow("full-width converted in the field") << 2 << "１３６２,－１,０" << below << "1362,-1,0"
                                                       << "1362 0 0 0 0 / -1 0 0 0 0 / 0 0 0 0 0";
    QTest::newRow("fraction and exponent") << 1 << "12.9;1e3" << ok << "12.9;1e3" << "12 1000 0 0 0 / 12 1000 0 0 0 / 0 0 0 0 0";
    QTest::newRow("negative interval") << 1 << "1,,-1" << interval << "1,,-1" << "1 0 0 0 0 / 0 0 0 0 0 / -1 0 0 0 0";
    QTest::newRow("starts below before ends above") << 2 << ",9999;;;;100" << below << ",9999;;;;100"
                                                    << "0 0 0 0 100 / 9999 0 0 0 0 / 0 0 0 0 0";
    QTest::newRow("maxima before ends below") << 2 << ",100;;;;9999" << above << ",100;;;;9999"
                                              << "0 0 0 0 9999 / 100 0 0 0 0 / 0 0 0 0 0";
    QTest::newRow("start after end") << 1 << "10,20;30,25" << order << "10,20;30,25" << "10 30 0 0 0 / 20 25 0 0 0 / 0 0 0 0 0";
    QTest::newRow("substitution kept before the failure") << 1 << ";30;50,40" << order << ";30;50,40"
                                                          << "0 30 50 0 0 / 0 30 40 0 0 / 0 0 0 0 0";
    QTest::newRow("set 5 overflow") << 1 << "7;;;;9e9" << "ERROR  " + h7::overflowDescription() << "7;;;;9e9"
                                    << "7 0 0 0 0 / 0 0 0 0 0 / 0 0 0 0 0";
  }
  void back() {
    QFETCH(int, group);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QFETCH(QString, stored);
    chooseGroup(group);
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
    chooseGroup(2);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(stored(), QStringLiteral("2000 0 0 0 0 / 2000 0 0 0 0 / 0 0 0 0 0"));
    chooseGroup(1);  // not checked again until the next press
    QCOMPARE(messages.size(), 1);
    QCOMPARE(double(main->NFR1), 2000.0);
  }

  void closedScreenStartsAfresh() {
    typeSets("１０,20");
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(form->Text1->text(), QStringLiteral("10"));
    h7test::typeText(form->Text4, "1500");
    form->close();  // discarded without conversion, store or check
    QTRY_VERIFY(!main->form4);
    QCOMPARE(stored(), QStringLiteral("10 0 0 0 0 / 20 0 0 0 0 / 0 0 0 0 0"));
    openForm4();
    QCOMPARE(fieldTexts(), QString());
    QVERIFY(messages.isEmpty());
  }

  // Items chosen here, the run started on the main screen: the header names exactly them.
  void chosenItemsHeadTheOutput() {
    h7test::ScratchDir dir;
    QProcess sample;
    sample.start(H7_BIN_DIR "/h7sample",
                 {"--data", "--out", dir.path(), "--pref", "13", "--group", "1", "--records", "30"});
    QVERIFY(sample.waitForFinished(60000) && sample.exitCode() == 0);
    main->Text1->setText(dir.path());
    main->Text2->setText(dir.file("out.csv"));
    main->Text3->setText("13");

    typeSets("１０;100,140,20;;1361");
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    QTest::mouseClick(main->Command3, Qt::LeftButton);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    QVERIFY(main->Label1->text().startsWith(QStringLiteral("正常終了")));

    const QList<QByteArray> names = QByteArray::fromStdString(h7test::readBytes(H7_BIN_DIR "/NAMEH7S1.CCC")).split('\n');
    auto name = [&](int item) {
      QByteArray n = names[item - 1];
      n.chop(1);  // CR
      return '"' + n.replace("\"", "\"\"") + '"';
    };
    QByteArray header = QByteArray::fromStdString(h7test::sjis("\"県\",\"市区町村\",\"町丁･字等\""));
    for (int item : {10, 100, 120, 140}) header += ',' + name(item);  // set 4 is behind an unused set
    const QList<QByteArray> lines = QByteArray::fromStdString(dir.bytes("out.csv")).split('\n');
    QCOMPARE(lines.first(), header + '\r');
    QCOMPARE(lines.size(), 32);  // header, 30 records, nothing after the last CR LF
  }
};

QTEST_MAIN(Form4Test)
#include "gui_form4.moc"
