// Form1 driven as a user would: clicks, typing, focus changes, a run end to end.
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>
#include <map>

#include "extract/run.h"
#include "items/form4.h"
#include "municipality/form6.h"
#include "picker/form2.h"
#include "support/screens.h"
#include "support/testutil.h"

namespace {

// Records per municipality code, read at `at` in each CR LF ended line from `from` on.
std::map<std::string, int> codeCounts(const std::string& bytes, std::size_t at, std::size_t from = 0) {
  std::map<std::string, int> counts;
  for (std::size_t end; from < bytes.size(); from = end + 2) {
    end = std::min(bytes.find("\r\n", from), bytes.size());
    ++counts[bytes.substr(from + at, 3)];
  }
  return counts;
}

}  // namespace

class Form1Test : public h7test::ScreenSuite {
  Q_OBJECT

  QList<QColor> optionColours() {
    QList<QColor> colours;
    for (QRadioButton* o : {main->Option1, main->Option2, main->Option3, main->Option4, main->Option5})
      colours << o->palette().color(QPalette::WindowText);
    return colours;
  }
  void leaveText3() {
    main->Text3->setFocus();
    QVERIFY(main->Text3->hasFocus());
    main->Text1->setFocus();
  }

 private slots:
  void init() { QVERIFY(showMainScreen()); }
  void cleanup() { main.reset(); }

  void startsAsDrawn() {
    QCOMPARE(main->windowTitle(), QStringLiteral("平成7年国勢調査小地域集計（指標値型）データ選択"));
    QCOMPARE(main->size(), QSize(419, 373));  // 6288 x 5592 twips
    QCOMPARE(main->palette().color(QPalette::Window), QColor(192, 255, 255));
    QCOMPARE(Form1().B_Path, QCoreApplication::applicationDirPath());
    QCOMPARE(main->SHI_SW, QStringLiteral("OFF"));
    QVERIFY(main->Option1->isChecked() && main->Option4->isChecked());
    QCOMPARE(main->Label1->text(), QStringLiteral(" "));
    QVERIFY(main->ProgressBar1->isHidden());
    QCOMPARE(main->Text3->maxLength(), 2);
    const std::tuple<const char*, QString, QString> controls[] = {  // name, caption, tooltip
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
    for (const auto& [name, caption, tooltip] : controls) {
      QWidget* w = main->findChild<QWidget*>(name);
      QVERIFY2(w, name);
      QCOMPARE(w->property(w->inherits("QGroupBox") ? "title" : "text").toString(), caption);
      QCOMPARE(w->toolTip(), tooltip);
    }
    QCOMPARE(main->Text3->geometry(), QRect(24, 32, 41, 41));  // in Frame3
    QCOMPARE(main->Command3->geometry(), QRect(128, 248, 169, 65));
    QCOMPARE(h7test::focusChain(main->Text1, 11),  // Tab stops at the chosen option of each frame
             (QStringList{"Text1", "Command1", "Text2", "Command2", "Command4", "Command3", "Command6", "Option1",
                          "Option4", "Text3", "Text1"}));
  }

  void optionClicksColourTheChosenOneRed() {
    const QColor red(255, 0, 0), plain = QApplication::palette().color(QPalette::ButtonText);
    const std::pair<QRadioButton*, QList<QColor>> steps[] = {  // clicked, then Option1..Option5
        {nullptr, {red, QColor(0, 0, 0), plain, red, plain}},
        {main->Option3, {plain, plain, red, red, plain}},
        {main->Option3, {plain, plain, red, red, plain}},
        {main->Option5, {plain, plain, red, plain, red}},
    };
    for (const auto& [option, colours] : steps) {
      if (option) QTest::mouseClick(option, Qt::LeftButton);
      QCOMPARE(optionColours(), colours);
    }
    QCOMPARE(main->selectedGroup(), 3);
  }

  // Every action clears the status line; closing the main screen hides the other screens.
  void everyActionClearsTheStatusLine() {
    for (QWidget* w : std::initializer_list<QWidget*>{main->Text1, main->Text2, main->Text3, main->Option2, main->Option5,
                                                      main->Command1, main->Command2, main->Command4, main->Command6}) {
      main->Label1->setText("message of the last run");
      if (qobject_cast<QLineEdit*>(w)) QTest::keyClicks(w, "1");
      else QTest::mouseClick(w, Qt::LeftButton);
      QVERIFY2(main->Label1->text() == " ", qPrintable(w->objectName()));
    }
    main->Label1->setText("message of the last run");
    main->Text1->setText("/data");  // a change made by code too
    QCOMPARE(main->Label1->text(), QStringLiteral(" "));
    // Leaving a prefecture field that needs no change keeps the message.
    main->Text3->setText("05");
    main->Label1->setText("message of the last run");
    leaveText3();
    QCOMPARE(main->Label1->text(), QStringLiteral("message of the last run"));
    main->close();  // hides the screens the buttons opened
    QVERIFY(main->form2->isHidden() && main->form4->isHidden() && main->form6->isHidden());
  }

  void prefectureFieldNormalisedWhenLeft() {
    const std::tuple<QString, QString, bool> cases[] = {  // typed, after leaving, accepted
        {"5", "05", true},    {"01", "01", true},   {"47", "47", true},   {"48", "48", false},
        {"00", "00", false},  {"-1", "-1", false},  {"０５", "05", true}, {" 7", "07", true},
        {"7 ", "07", true},   {"　５", "05", true}, {"", "0", false},     {"  ", "0", false},
        {"TT", "TT", true},   {"ＴＴ", "TT", true}, {"tt", "tt", false},  {"T", "0T", false},
        {"1.", "1.", true},   {"AB", "AB", false},
        {"\t7", "\t7", true},  // only the blank U+0020 is trimmed; the tab is skipped when read
    };
    for (const auto& [typed, after, accepted] : cases) {
      messages.clear();
      main->Text3->setText(typed);
      leaveText3();
      QCOMPARE(main->Text3->text(), after);
      QCOMPARE(messages, accepted ? QStringList() : QStringList{QStringLiteral("ERROR  都道府県番号異常")});
    }
  }

  // Items typed on Form4 and municipalities on Form6, then the run started here: the header
  // names exactly those items, the records are those of the chosen municipalities, and the
  // bytes are those of the run on the same choices.
  void runEndToEnd() {
    h7test::ScratchDir dir;
    QProcess sample;  // 200 records of prefecture 13, group 1
    sample.start(H7_BIN_DIR "/h7sample", {"--data", "--out", dir.path(), "--pref", "13", "--group", "1", "--records", "200"});
    QVERIFY(sample.waitForFinished(60000) && sample.exitCode() == 0);
    const std::map<std::string, int> inData = codeCounts(dir.bytes("H7S13S1.DAT"), 17);  // positions 18-20
    QVERIFY(inData.size() >= 4);
    QStringList codes;
    for (const auto& [code, count] : inData) codes << QString::fromStdString(code);
    main->Text1->setText(dir.path());
    main->Text2->setText(dir.file("out.csv"));
    main->Text3->setText("13");
    QTest::mouseClick(main->Option5, Qt::LeftButton);
    Form4* items = h7test::open(main->Command4, main->form4);
    QVERIFY(items);
    h7test::typeRows(h7test::textFields(items, 15), 3, "１０;100,140,20;;1361");  // set 3 ends the list
    QTest::mouseClick(items->Command1, Qt::LeftButton);
    Form6* places = h7test::open(main->Command6, main->form6);
    QVERIFY(places);  // range 1 the first code, range 2 the third to the fourth; range 3 ends the list
    h7test::typeRows(h7test::textFields(places, 10), 2, codes[0] + ';' + codes[2] + ',' + codes[3] + ";;" + codes[1]);
    QTest::mouseClick(places->Command1, Qt::LeftButton);
    QTest::mouseClick(main->Command3, Qt::LeftButton);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));

    std::map<std::string, int> kept;
    int records = 0;
    for (const auto& [code, count] : inData)
      if (code == codes[0].toStdString() || (code >= codes[2].toStdString() && code <= codes[3].toStdString()))
        records += kept[code] = count;
    const std::string out = dir.bytes("out.csv");
    QCOMPARE(codeCounts(out, 6, out.find("\r\n") + 2), kept);  // after '"13","'
    QCOMPARE(main->Label1->text(), h7::completionMessage(1361, 200, 1 + records));
    QVERIFY(main->ProgressBar1->isHidden());
    QCOMPARE(h7test::storedValues(*main, {h7::JobParams::itemLast, h7::JobParams::itemInterval}),
             QStringLiteral("10 140 0 1361 0 / 1 20 1 1 1"));  // the run's substitutions written back
    const QList<QByteArray> names = QByteArray::fromStdString(h7test::readBytes(H7_BIN_DIR "/NAMEH7S1.CCC")).split('\n');
    QByteArray header = QByteArray::fromStdString(h7test::sjis("\"県\",\"市区町村\",\"町丁･字等\""));
    for (int item : {10, 100, 120, 140}) header += ",\"" + names[item - 1].chopped(1).replace("\"", "\"\"") + '"';
    QCOMPARE(QByteArray::fromStdString(out.substr(0, out.find("\r\n"))), header);

    h7::RunInputs in;
    in.inputFolder = dir.path();
    in.outputFile = dir.file("core.csv");
    in.prefectures = QStringList{"13"};
    in.programFolder = H7_BIN_DIR;
    in.numerify = true;
    in.itemSets = {{10, 0, 0}, {100, 140, 20}};
    in.municipalityFilter = true;
    in.municipalities = {{codes[0].toDouble(), codes[0].toDouble()}, {codes[2].toDouble(), codes[3].toDouble()}};
    QCOMPARE(h7::runExtraction(in).end, h7::RunEnd::Completed);
    QCOMPARE(dir.bytes("core.csv"), out);

    // An empty first start switches the filter off: every record.
    QCOMPARE(h7test::open(main->Command6, main->form6), places);
    places->Text1->clear();
    QTest::mouseClick(places->Command1, Qt::LeftButton);
    QTest::mouseClick(main->Command3, Qt::LeftButton);
    const std::string all = dir.bytes("out.csv");
    QCOMPARE(codeCounts(all, 6, all.find("\r\n") + 2), inData);

    // Without items: the no-items message, the bar hidden, the earlier output kept.
    main->NFR1.assign(0);
    QTest::mouseClick(main->Command3, Qt::LeftButton);
    QCOMPARE(messages, QStringList{QStringLiteral("ERROR  出力項目の選択指定がされていません。")});
    QCOMPARE(main->Label1->text(), QStringLiteral(" "));
    QVERIFY(main->ProgressBar1->isHidden());
    QCOMPARE(dir.bytes("out.csv"), all);

    // A missing census data file.
    messages.clear();
    main->NFR1.assign(1);
    QTest::mouseClick(main->Option2, Qt::LeftButton);  // no file of group 2 there
    QTest::mouseClick(main->Command3, Qt::LeftButton);
    QCOMPARE(messages, QStringList{QStringLiteral("ERROR  ファイルが見つかりません。")});
    QVERIFY(main->ProgressBar1->isHidden());
  }
};

QTEST_MAIN(Form1Test)
#include "gui_form1.moc"
