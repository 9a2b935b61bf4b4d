// Form6 driven as a user would: typing into the ten fields, pressing 戻る, and a run
// from the main screen that keeps exactly the records of the chosen municipalities.
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>
#include <map>

#include "common/messagebox.h"
#include "common/numeric.h"
#include "common/screen_layout.h"
#include "main/form1.h"
#include "municipality/form6.h"
#include "support/screens.h"
#include "support/testutil.h"

namespace {

const QString kUnknown = QStringLiteral("ERROR  市区町番号が不明");
const QString kStartAfterEnd = QStringLiteral("ERROR  開始項目　＞　終了項目");

// "SFR1 .. SFR5 / STO1 .. STO5" in canonical form.
QString stored(const h7::JobParams& p) {
  QStringList parts;
  for (auto column : {h7::JobParams::rangeFirst, h7::JobParams::rangeLast}) {
    if (column == h7::JobParams::rangeLast) parts << "/";
    for (int i = 0; i < 5; ++i) parts << QString::fromStdString(h7::canonicalNumber(p.*column[i]));
  }
  return parts.join(' ');
}

// Codes at positions 18-20 of each record line.
std::vector<std::string> municipalityCodesOfData(const std::string& bytes) {
  std::vector<std::string> codes;
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t end = bytes.find("\r\n", at);
    if (end == std::string::npos) end = bytes.size();
    codes.push_back(bytes.substr(at + 17, 3));
    at = end + 2;
  }
  return codes;
}

}  // namespace

class Form6Test : public QObject {
  Q_OBJECT

  QStringList messages;
  std::unique_ptr<Form1> main;
  Form6* screen = nullptr;

  void openScreen() {
    QTest::mouseClick(main->Command6, Qt::LeftButton);
    screen = main->form6;
    QVERIFY(screen && screen->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(screen));
  }
  void type(QLineEdit* field, const QString& text) {
    QTest::mouseClick(field, Qt::LeftButton);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    h7test::typeText(field, text);
  }

 private slots:
  void initTestCase() { h7test::recordMessages(messages); }
  void init() {
    messages.clear();
    main = h7test::showMainScreen();
    QVERIFY(QTest::qWaitForWindowActive(main.get()));
    openScreen();
  }
  void cleanup() { main.reset(); }

  void screenAsDrawn() {
    QCOMPARE(screen->windowTitle(), QStringLiteral("市区町村選択指定画面"));
    QCOMPARE(screen->size(), QSize(215, 312));  // 3228 x 4680 twips
    QCOMPARE(screen->palette().color(QPalette::Window), QColor(192, 255, 255));
    QCOMPARE(screen->Label6->palette().color(QPalette::WindowText), QColor(0, 0, 192));
    QVERIFY(screen->Label6->wordWrap());
    QCOMPARE(screen->Label6->geometry(), QRect(8, 8, 193, 65));
    // The note fits its box at the screen's font.
    QVERIFY(screen->Label6->heightForWidth(screen->Label6->width()) <= screen->Label6->height());

    const struct {
      const char* name;
      QString caption, tooltip;
      QRect pixels;
    } controls[] = {
        {"Label7", "選択開始市区町村番号", "", QRect(40, 80, 73, 25)},
        {"Label8", "選択終了市区町村番号", "", QRect(128, 80, 73, 25)},
        {"Label1", "１組", "", QRect(8, 112, 25, 17)},
        {"Label5", "５組", "", QRect(8, 240, 25, 25)},
        {"Text1", "", "選択する地区町村番号を入力する。範囲指定の場合は範囲の開始番号。", QRect(40, 112, 73, 25)},
        {"Text2", "", "範囲しての場合のみ範囲の終了番号を入力する。範囲指定ではない場合は空白のままとする。",
         QRect(128, 112, 73, 25)},
        {"Text9", "", "選択する地区町村番号を入力する。範囲指定の場合は範囲の開始番号。", QRect(40, 240, 73, 25)},
        {"Text10", "", "範囲しての場合のみ範囲の終了番号を入力する。範囲指定ではない場合は空白のままとする。",
         QRect(128, 240, 73, 25)},
        {"Line3", "", "", QRect(112, 192, 16, 1)},
        {"Command1", "戻る", "主画面に戻る", QRect(88, 280, 121, 25)},
    };
    for (const auto& c : controls) {
      QWidget* w = screen->findChild<QWidget*>(c.name);
      QVERIFY2(w, c.name);
      QString caption;
      if (auto* b = qobject_cast<QPushButton*>(w)) caption = b->text();
      if (auto* l = qobject_cast<QLabel*>(w)) caption = l->text();
      QCOMPARE(caption, c.caption);
      QCOMPARE(w->toolTip(), c.tooltip);
      QCOMPARE(w->geometry(), c.pixels);
    }
    for (QLineEdit* field : screen->fields()) {
      QCOMPARE(field->maxLength(), 3);
      QCOMPARE(field->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    }
  }

  void tabGoesRowByRowThenToBack() {
    QTest::mouseClick(screen->Text1, Qt::LeftButton);
    QStringList order{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 11; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, QStringList({"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Text9",
                                 "Text10", "Command1", "Text1"}));
  }

  void typingStopsAtThreeCharacters() {
    type(screen->Text1, "10000");
    QCOMPARE(screen->Text1->text(), QStringLiteral("100"));
  }

  // Each case starts from stored values that a check can tell apart from new ones.
  void backOperation_data() {
    QTest::addColumn<QStringList>("typed");     // Text1, Text2, Text3, ... (missing ones empty)
    QTest::addColumn<QString>("message");       // empty: success, the main screen in front
    QTest::addColumn<QString>("filter");        // SHI_SW afterwards
    QTest::addColumn<QString>("ranges");        // SFR1..5 / STO1..5 afterwards
    QTest::addColumn<QStringList>("shown");     // the fields afterwards; empty: as typed

    const QString earlier = "11 12 13 14 15 / 21 22 23 24 25";
    const QString overflow = QStringLiteral("ERROR  ") + h7::overflowDescription();
    QTest::newRow("all empty") << QStringList{} << "" << "OFF" << earlier << QStringList{};
    QTest::newRow("Text1 empty, range 2 filled") << QStringList{"", "", "201", "205", "301"} << "" << "OFF" << earlier
                                                 << QStringList{};
    QTest::newRow("Text1 empty, full-width left as typed")
        << QStringList{"", "１０１", "２０１"} << "" << "OFF" << earlier << QStringList{};
    QTest::newRow("101 to 105") << QStringList{"101", "105"} << "" << "ON" << "101 0 0 0 0 / 105 0 0 0 0"
                                << QStringList{};
    QTest::newRow("end filled in") << QStringList{"201"} << "" << "ON" << "201 0 0 0 0 / 201 0 0 0 0"
                                   << QStringList{};
    QTest::newRow("99") << QStringList{"99"} << kUnknown << "ON" << "99 0 0 0 0 / 0 0 0 0 0" << QStringList{};
    QTest::newRow("100 and 999") << QStringList{"100", "", "999"} << "" << "ON" << "100 999 0 0 0 / 100 999 0 0 0"
                                 << QStringList{};
    QTest::newRow("start 0, end 50") << QStringList{"0", "50"} << "" << "ON" << "0 0 0 0 0 / 50 0 0 0 0"
                                     << QStringList{};
    QTest::newRow("105 to 101") << QStringList{"105", "101"} << kStartAfterEnd << "ON"
                                << "105 0 0 0 0 / 101 0 0 0 0" << QStringList{};
    QTest::newRow("050") << QStringList{"050"} << kUnknown << "ON" << "50 0 0 0 0 / 0 0 0 0 0" << QStringList{};
    QTest::newRow("a blank") << QStringList{" "} << "" << "ON" << "0 0 0 0 0 / 0 0 0 0 0" << QStringList{};
    QTest::newRow("an ideographic space") << QStringList{"　"} << "" << "ON" << "0 0 0 0 0 / 0 0 0 0 0"
                                          << QStringList{" "};
    QTest::newRow(".5 in range 1") << QStringList{".5"} << kUnknown << "ON" << ".5 0 0 0 0 / 0 0 0 0 0"
                                   << QStringList{};
    QTest::newRow(".5 in range 5") << QStringList{"101", "", "", "", "", "", "", "", ".5"} << "" << "ON"
                                   << "101 0 0 0 0 / 101 0 0 0 0" << QStringList{};
    QTest::newRow("1.5 in range 5") << QStringList{"101", "", "", "", "", "", "", "", "1.5"} << kUnknown << "ON"
                                    << "101 0 0 0 2 / 0 0 0 0 0" << QStringList{};
    QTest::newRow("1e5 in range 3") << QStringList{"101", "", "", "", "1e5"} << kUnknown << "ON"
                                    << "101 0 100000 0 0 / 0 0 0 0 0" << QStringList{};
    QTest::newRow("1e5 as start of range 5")
        << QStringList{"１０１", "", "", "", "", "", "", "", "1e5", "２"} << overflow << "ON"
        << "101 0 0 0 15 / 21 22 23 24 25" << QStringList{"101", "", "", "", "", "", "", "", "1e5", "2"};
    QTest::newRow("1e5 as end of range 5") << QStringList{"101", "", "", "", "", "", "", "", "101", "1e5"}
                                           << overflow << "ON" << "101 0 0 0 101 / 0 0 0 0 25" << QStringList{};
    QTest::newRow("full-width digits") << QStringList{"２０１", "２０５", "３０１"} << "" << "ON"
                                       << "201 301 0 0 0 / 205 301 0 0 0" << QStringList{"201", "205", "301"};
  }

  void backOperation() {
    QFETCH(QStringList, typed);
    QFETCH(QString, message);
    QFETCH(QString, filter);
    QFETCH(QString, ranges);
    QFETCH(QStringList, shown);
    for (int i = 0; i < 5; ++i) {
      (main.get()->*h7::JobParams::rangeFirst[i]).assign(11 + i);
      (main.get()->*h7::JobParams::rangeLast[i]).assign(21 + i);
    }
    main->SHI_SW = filter == "ON" ? "OFF" : "ON";  // so that the switch has to change

    for (int i = 0; i < typed.size(); ++i) type(screen->fields()[i], typed[i]);
    if (shown.isEmpty()) shown = typed;
    QTest::mouseClick(screen->Command1, Qt::LeftButton);

    QCOMPARE(messages, message.isEmpty() ? QStringList{} : QStringList{message});
    QCOMPARE(main->SHI_SW, filter);
    QCOMPARE(stored(*main), ranges);
    for (int i = 0; i < 10; ++i) QCOMPARE(screen->fields()[i]->text(), i < shown.size() ? shown[i] : QString());
    QVERIFY(screen->isVisible());  // stays open, in front on failure, behind on success
    if (message.isEmpty()) {
      QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(main.get()));
    } else {
      QTest::qWait(50);  // an activation would have arrived by now
      QCOMPARE(QApplication::activeWindow(), screen);
    }
  }

  void fieldsKeptBetweenVisitsAndDroppedOnClose() {
    type(screen->Text1, "201");
    QTest::mouseClick(screen->Command1, Qt::LeftButton);
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(main.get()));
    QTest::mouseClick(main->Command6, Qt::LeftButton);
    QCOMPARE(main->form6.data(), screen);
    QCOMPARE(screen->Text1->text(), QStringLiteral("201"));

    screen->close();  // discarded: fields go, stored values stay
    QTRY_VERIFY(!main->form6);
    openScreen();
    QVERIFY(screen->Text1->text().isEmpty());
    QCOMPARE(double(main->SFR1), 201.0);
    QCOMPARE(main->SHI_SW, QStringLiteral("ON"));
  }

  // Ranges chosen here, a run from the main screen, and the municipality codes of the
  // output compared with those of the data file.
  void runKeepsExactlyTheChosenMunicipalities() {
    h7test::ScratchDir dir;
    QProcess sample;
    sample.start(H7_BIN_DIR "/h7sample",
                 {"--data", "--out", dir.path(), "--pref", "13", "--group", "1", "--records", "200"});
    QVERIFY(sample.waitForFinished(60000) && sample.exitCode() == 0);
    std::map<std::string, int> inData;
    for (const std::string& code : municipalityCodesOfData(dir.bytes("H7S13S1.DAT"))) ++inData[code];
    QVERIFY(inData.size() >= 4);
    std::vector<std::string> codes;
    for (const auto& [code, count] : inData) codes.push_back(code);

    // Range 1: the first code alone; range 2: the third to the fourth, typed full-width;
    // range 3 empty ends the list, so range 4 (the second code) is checked but not applied.
    auto fullWidth = [](const std::string& digits) {
      QString wide;
      for (char c : digits) wide += QChar(u'０' + (c - '0'));
      return wide;
    };
    const QString wide2 = fullWidth(codes[2]), wide3 = fullWidth(codes[3]);
    const QStringList typed{QString::fromStdString(codes[0]), "", wide2, wide3, "", "",
                            QString::fromStdString(codes[1])};
    for (int i = 0; i < typed.size(); ++i) type(screen->fields()[i], typed[i]);
    QTest::mouseClick(screen->Command1, Qt::LeftButton);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    QCOMPARE(main->SHI_SW, QStringLiteral("ON"));

    main->B_Path = H7_BIN_DIR;
    main->Text1->setText(dir.path());
    main->Text2->setText(dir.file("out.csv"));
    main->Text3->setText("13");
    main->NFR1.assign(1);
    auto outputCodes = [&] {
      std::map<std::string, int> counts;
      const std::string out = dir.bytes("out.csv");
      std::size_t at = out.find("\r\n") + 2;  // past the header line
      for (std::size_t end; at < out.size(); at = end + 2) {
        end = out.find("\r\n", at);
        const std::string line = out.substr(at, end - at);
        if (line.compare(0, 6, "\"13\",\"") != 0 || line.compare(9, 2, "\",") != 0) {
          qWarning("unexpected record line %s", line.substr(0, 40).c_str());
          return std::map<std::string, int>{};
        }
        ++counts[line.substr(6, 3)];
      }
      return counts;
    };

    QTest::mouseClick(main->Command3, Qt::LeftButton);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    QVERIFY(main->Label1->text().startsWith(QStringLiteral("正常終了")));
    std::map<std::string, int> expected;
    for (const auto& [code, count] : inData)
      if (code == codes[0] || (code >= codes[2] && code <= codes[3])) expected[code] = count;
    QCOMPARE(outputCodes(), expected);

    // An empty first start switches the filter off: every record again.
    main->Command6->click();
    type(screen->Text1, "");
    QTest::mouseClick(screen->Command1, Qt::LeftButton);
    QCOMPARE(main->SHI_SW, QStringLiteral("OFF"));
    QTest::mouseClick(main->Command3, Qt::LeftButton);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    QCOMPARE(outputCodes(), inData);
  }
};

QTEST_MAIN(Form6Test)
#include "gui_form6.moc"
