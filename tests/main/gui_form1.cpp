// Form1 driven as a user would: clicks, typing, focus changes, a run end to end.
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "common/messagebox.h"
#include "common/screen_layout.h"
#include "extract/run.h"
#include "items/form4.h"
#include "main/form1.h"
#include "municipality/form6.h"
#include "picker/form2.h"
#include "support/screens.h"
#include "support/testutil.h"

class Form1Test : public QObject {
  Q_OBJECT

  QStringList messages;
  std::unique_ptr<Form1> form;

  QColor textColour(QRadioButton* option) { return option->palette().color(QPalette::WindowText); }
  QColor buttonText() { return QApplication::palette().color(QPalette::ButtonText); }
  void leaveText3() {
    form->Text3->setFocus();
    QVERIFY(form->Text3->hasFocus());
    form->Text1->setFocus();
  }

 private slots:
  void initTestCase() { h7test::recordMessages(messages); }
  void init() {
    messages.clear();
    form = h7test::showMainScreen();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
  }
  void cleanup() { form.reset(); }

  void startsAsDescribed() {
    QCOMPARE(form->windowTitle(), QStringLiteral("平成7年国勢調査小地域集計（指標値型）データ選択"));
    QCOMPARE(form->B_Path, QCoreApplication::applicationDirPath());
    QCOMPARE(form->SHI_SW, QStringLiteral("OFF"));
    QVERIFY(form->TEXTSW.isEmpty());
    QCOMPARE(double(form->NFR1), 0.0);
    QVERIFY(form->Option1->isChecked() && form->Option4->isChecked());
    QCOMPARE(textColour(form->Option1), QColor(255, 0, 0));
    QCOMPARE(textColour(form->Option2), QColor(0, 0, 0));
    QCOMPARE(textColour(form->Option3), buttonText());
    QCOMPARE(textColour(form->Option4), QColor(255, 0, 0));
    QCOMPARE(textColour(form->Option5), buttonText());
    QCOMPARE(form->Label1->text(), QStringLiteral(" "));
    QCOMPARE(form->Label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(form->ProgressBar1->isHidden());
    QCOMPARE(form->ProgressBar1->maximum(), 24600);
    QCOMPARE(form->Text3->maxLength(), 2);
    QCOMPARE(form->Text3->font().family(), QStringLiteral("ＭＳ ゴシック"));
    QCOMPARE(form->Text3->font().pointSizeF(), 22.2);
    QCOMPARE(form->Command3->font().pointSizeF(), 12.0);
    QCOMPARE(form->size(), QSize(419, 373));  // 6288 x 5592 twips
    QCOMPARE(form->Command3->geometry(), QRect(128, 248, 169, 65));
    QCOMPARE(form->Text3->geometry(), QRect(24, 32, 41, 41));  // inside Frame3
  }

  void captionsAndTooltips() {
    const struct {
      const char* name;
      QString caption, tooltip;
    } controls[] = {
        {"Label2", "被選択データの所在ドライブ・フォルダ", ""},
        {"Text1", "", "選択する元データを指定します"},
        {"Command1", "入力参照", "選択元データのドライブ・フォルダ・ファイル名が参照できます"},
        {"Frame1", "　集計区分の選択", "選択するデータの集計区分区分を選択します"},
        {"Option1", "その１(004-013)", "結果表004表～013表"},
        {"Option2", "その２(014-017)", "結果表014表～017表"},
        {"Option3", "その３(018-020)", "結果表018表～020表"},
        {"Frame3", "都道府県番号", "選択するデータの都道府県番号を０補足で入力します"},
        {"Text3", "", "選択するデータの都道府県番号を０補足で入力します"},
        {"Command4", "出力項目の選択指定（必須）", "選択する項目番号を指定する画面を表示します"},
        {"Command6", "市区町村の選択指定", "選択する市区町村番号を指定する画面が表示されます"},
        {"Frame2", "文字データの数値化", "秘匿処理データ等の文字データを「0」に強制置換するか否かを選択します"},
        {"Option4", "数値化しない", ""},
        {"Option5", "数値化する", ""},
        {"Label3", "出力ドライブ・フォルダ・ファイル名", ""},
        {"Text2", "", "選択結果の出力先を指定します"},
        {"Command2", "出力参照", "選択結果データのドライブ・フォルダ・ファイル名が参照できます"},
        {"Command3", "データの選択の開始", "指定した項目の選択処理を開始します"},
    };
    for (const auto& c : controls) {
      QWidget* w = form->findChild<QWidget*>(c.name);
      QVERIFY2(w, c.name);
      QString caption;
      if (auto* b = qobject_cast<QAbstractButton*>(w)) caption = b->text();
      if (auto* l = qobject_cast<QLabel*>(w)) caption = l->text();
      if (auto* g = qobject_cast<QGroupBox*>(w)) caption = g->title();
      QCOMPARE(caption, c.caption);
      QCOMPARE(w->toolTip(), c.tooltip);
    }
  }

  void optionClicksColourTheChosenOneRed() {
    QTest::mouseClick(form->Option3, Qt::LeftButton);
    QCOMPARE(textColour(form->Option3), QColor(255, 0, 0));
    QCOMPARE(textColour(form->Option1), buttonText());
    QCOMPARE(textColour(form->Option2), buttonText());
    QTest::mouseClick(form->Option3, Qt::LeftButton);
    QCOMPARE(textColour(form->Option3), QColor(255, 0, 0));
    QCOMPARE(form->selectedGroup(), 3);
    QTest::mouseClick(form->Option5, Qt::LeftButton);
    QCOMPARE(textColour(form->Option5), QColor(255, 0, 0));
    QCOMPARE(textColour(form->Option4), buttonText());
  }

  void everyActionClearsTheStatusLine() {
    const std::vector<std::pair<const char*, std::function<void()>>> actions = {
        {"type in Text1", [&] { QTest::keyClicks(form->Text1, "a"); }},
        {"type in Text2", [&] { QTest::keyClicks(form->Text2, "b"); }},
        {"type in Text3", [&] { QTest::keyClicks(form->Text3, "1"); }},
        {"Text1 set by code", [&] { form->Text1->setText("/data"); }},
        {"Option2", [&] { QTest::mouseClick(form->Option2, Qt::LeftButton); }},
        {"Option5", [&] { QTest::mouseClick(form->Option5, Qt::LeftButton); }},
        {"Command1", [&] { QTest::mouseClick(form->Command1, Qt::LeftButton); }},
        {"Command2", [&] { QTest::mouseClick(form->Command2, Qt::LeftButton); }},
        {"Command4", [&] { QTest::mouseClick(form->Command4, Qt::LeftButton); }},
        {"Command6", [&] { QTest::mouseClick(form->Command6, Qt::LeftButton); }},
    };
    for (const auto& [what, act] : actions) {
      form->Label1->setText("message of the last run");
      act();
      QVERIFY2(form->Label1->text() == " ", what);
    }
    // Leaving a prefecture field that needs no change keeps the message.
    form->Text3->setText("05");
    form->Label1->setText("message of the last run");
    leaveText3();
    QCOMPARE(form->Label1->text(), QStringLiteral("message of the last run"));
  }

  void prefectureFieldNormalisedWhenLeft() {
    const struct {
      QString typed, after;
      bool accepted;
    } cases[] = {
        {"5", "05", true},   {"47", "47", true},   {"48", "48", false}, {"00", "00", false},
        {"０５", "05", true}, {" 7", "07", true},  {"", "0", false},    {"TT", "TT", true},
        {"ＴＴ", "TT", true}, {"tt", "tt", false}, {"1.", "1.", true},  {"AB", "AB", false},
    };
    for (const auto& c : cases) {
      messages.clear();
      form->Text3->setText(c.typed);
      leaveText3();
      QCOMPARE(form->Text3->text(), c.after);
      QCOMPARE(messages, c.accepted ? QStringList() : QStringList{QStringLiteral("ERROR  都道府県番号異常")});
    }
  }

  void buttonsShowTheirScreens() {
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(form->TEXTSW, QStringLiteral("TEXT1"));
    QVERIFY(form->form2 && form->form2->isVisible());
    Form2* picker = form->form2;
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    QCOMPARE(form->TEXTSW, QStringLiteral("TEXT2"));
    QCOMPARE(form->form2.data(), picker);  // one picker, retargeted
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QVERIFY(form->form4 && form->form4->isVisible());
    QTest::mouseClick(form->Command6, Qt::LeftButton);
    QVERIFY(form->form6 && form->form6->isVisible());
    QCOMPARE(form->form6->windowTitle(), QStringLiteral("市区町村選択指定画面"));

    form->form6->close();  // discarded; the next click makes a new one
    QTRY_VERIFY(!form->form6);
    QTest::mouseClick(form->Command6, Qt::LeftButton);
    QVERIFY(form->form6 && form->form6->isVisible());

    form->close();
    QVERIFY(!form->form2->isVisible() && !form->form4->isVisible() && !form->form6->isVisible());
  }

  void runEndToEnd() {
    h7test::ScratchDir dir;
    QProcess sample;
    sample.start(H7_BIN_DIR "/h7sample", {"--data", "--out", dir.path(), "--pref", "13", "--group", "1", "--records", "50"});
    QVERIFY(sample.waitForFinished() && sample.exitCode() == 0);
    form->B_Path = H7_BIN_DIR;
    form->Text1->setText(dir.path());
    form->Text2->setText(dir.file("out.csv"));
    form->Text3->setText("13");
    form->NFR1.assign(1);
    form->NTO1.assign(0);
    form->NFR2.assign(100);
    form->NTO2.assign(140);
    form->INT2.assign(20);
    QTest::mouseClick(form->Option5, Qt::LeftButton);
    QTest::mouseClick(form->Command3, Qt::LeftButton);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    QCOMPARE(form->Label1->text(), QStringLiteral("正常終了  KCNT= 1361   ICNT=  50  ,OCNT=  51"));
    QVERIFY(form->ProgressBar1->isHidden());
    QCOMPARE(double(form->NTO1), 1.0);  // substitutions written back
    QCOMPARE(double(form->INT1), 1.0);

    h7::RunInputs in;
    in.inputFolder = dir.path();
    in.outputFile = dir.file("core.csv");
    in.prefectures = QStringList{"13"};
    in.programFolder = H7_BIN_DIR;
    in.numerify = true;
    in.itemSets = {{1, 0, 0}, {100, 140, 20}};
    QCOMPARE(h7::runExtraction(in).end, h7::RunEnd::Completed);
    QCOMPARE(dir.bytes("out.csv"), dir.bytes("core.csv"));

    // Without items: the no-items message, the bar hidden, the earlier output kept.
    form->NFR1.assign(0);
    QTest::mouseClick(form->Command3, Qt::LeftButton);
    QCOMPARE(messages, QStringList{QStringLiteral("ERROR  出力項目の選択指定がされていません。")});
    QCOMPARE(form->Label1->text(), QStringLiteral(" "));
    QVERIFY(form->ProgressBar1->isHidden());
    QCOMPARE(dir.bytes("out.csv"), dir.bytes("core.csv"));

    // A missing census data file.
    messages.clear();
    form->NFR1.assign(1);
    form->Text3->setText("14");
    QTest::mouseClick(form->Command3, Qt::LeftButton);
    QCOMPARE(messages, QStringList{QStringLiteral("ERROR  ファイルが見つかりません。")});
    QVERIFY(form->ProgressBar1->isHidden());
  }
};

QTEST_MAIN(Form1Test)
#include "gui_form1.moc"
