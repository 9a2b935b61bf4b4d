// Form1's wiring: the prefecture field checked when left, the status line cleared by every
// action, the chosen options coloured, the other screens hidden with it, one run end to end.
#include <QLabel>
#include <QMimeData>
#include <QProcess>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>
#include <future>
#include <sys/stat.h>
#include <thread>

#include "extract/run.h"
#include "gui/form4.h"
#include "gui/form6.h"
#include "gui/form2.h"
#include "support/screens.h"
#define H7_PACK_CHECK(ok, what) QVERIFY2(ok, what)
#include "support/archive_pack.h"
#include "support/testutil.h"

using h7test::click;
using h7test::field;

class Form1Test : public h7test::ScreenSuite {
  Q_OBJECT

  QLabel* status() { return h7test::child<QLabel>(main.get(), "Label1"); }
  void leaveText3() {
    field(main.get(), "Text3")->setFocus();
    field(main.get(), "Text1")->setFocus();
  }

 private slots:
  void init() { QVERIFY(showMainScreen()); }
  void cleanup() { main.reset(); }

  // Typing stops at two characters; the check's own write-back is kept whole and, like
  // every write, clears the status line.
  void prefectureFieldCheckedWhenLeft() {
    const std::tuple<QString, QString, bool> cases[] = {
        {"５", "05", true}, {"T", "0T", false}, {"05", "05", true}, {"123", "12", true}, {"1ガ", "01ｶﾞ", true}};
    for (const auto& [typed, after, accepted] : cases) {
      messages.clear();
      field(main.get(), "Text3")->clear();
      h7test::type(main.get(), "Text3", typed);
      status()->setText("message of the last run");
      leaveText3();
      QCOMPARE(field(main.get(), "Text3")->text() + status()->text(), after + ' ');
      QCOMPARE(messages, accepted ? QStringList() : QStringList{h7::errorMessage(h7::msg::badPrefecture())});
    }
    auto* items = h7test::open<Form4>(main.get(), "Command4");  // the focus goes to another screen:
    field(main.get(), "Text3")->setText("48");                   // the message belongs to that screen
    main->activateWindow();
    field(main.get(), "Text3")->setFocus();
    items->activateWindow();
    QTRY_COMPARE(messageOwner, items);
  }

  void everyActionClearsTheStatusLine() {
    for (const char* name : {"Text1", "Text2", "Text3", "Option2", "Option5", "Command1", "Command2", "Command4", "Command6"}) {
      status()->setText("message of the last run");
      if (name[0] == 'T') QTest::keyClicks(field(main.get(), name), "1");
      else click(main.get(), name);
      QVERIFY2(status()->text() == " ", name);
    }
    status()->setText("message of the last run");
    field(main.get(), "Text1")->setText("/data");  // a change made by code too
    QCOMPARE(status()->text(), QStringLiteral(" "));
    click(main.get(), "Option3");  // the chosen option red
    QCOMPARE(h7test::child(main.get(), "Option3")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    main->close();  // hides the screens the buttons opened
    QVERIFY(h7test::screenOf<Form2>()->isHidden() && h7test::screenOf<Form4>()->isHidden() &&
            h7test::screenOf<Form6>()->isHidden());
  }

  // A folder or file dropped from a file manager: its path as if typed (the status line cleared).
  void dropsWritePaths() {
    h7test::ScratchDir dir;
    dir.write("a.csv", "x");
    h7test::pack(dir.file("a.zip"), "zip", "none", {{"a.csv", "x"}});
    const std::tuple<const char*, QString, QString> drops[] = {  // field, dropped, written
        {"Text1", dir.path(), dir.path()}, {"Text1", dir.file("a.csv"), dir.path()}, {"Text1", dir.file("a.zip"), dir.file("a.zip")},
        {"Text2", dir.file("a.csv"), dir.file("a.csv")}, {"Text2", dir.path(), ""}};
    for (const auto& [name, dropped, written] : drops) {
      field(main.get(), name)->clear();
      status()->setText("x");
      QMimeData data;
      data.setUrls({QUrl::fromLocalFile(dropped)});
      QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(field(main.get(), name), &enter);
      QApplication::sendEvent(field(main.get(), name), &drop);
      QCOMPARE(field(main.get(), name)->text() + status()->text(), written + (written.isEmpty() ? "x" : " "));
    }
  }

  // Items typed on Form4 and municipalities on Form6, then the run started here: the
  // bytes of the core run on the same choices, the run's substitutions written back.
  void runEndToEnd() {
    h7test::ScratchDir dir;
    QProcess sample;
    sample.start(H7_BIN_DIR "/h7sample", {"--data", "--out", dir.path(), "--pref", "13", "--group", "1", "--records", "200"});
    QVERIFY(sample.waitForFinished(60000) && sample.exitCode() == 0);
    field(main.get(), "Text1")->setText(dir.path());
    field(main.get(), "Text2")->setText(dir.file("out.csv"));
    field(main.get(), "Text3")->setText("13");
    click(main.get(), "Option5");
    auto* items = h7test::open<Form4>(main.get(), "Command4");
    const std::pair<const char*, const char*> typed[] = {{"Text1", "１０"}, {"Text4", "100"}, {"Text5", "140"}, {"Text6", "20"}};
    for (const auto& [name, text] : typed) h7test::type(items, name, text);
    click(items, "Command1");
    auto* places = h7test::open<Form6>(main.get(), "Command6");
    for (const auto& [name, text] : {std::pair{"Text1", "101"}, {"Text3", "300"}, {"Text4", "370"}})
      h7test::type(places, name, text);
    click(places, "Command1");
    click(main.get(), "Command3");
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    QVERIFY(h7test::child(main.get(), "ProgressBar1")->isHidden());
    QCOMPARE(h7test::storedValues({params().NTO, params().INT}),
             QStringLiteral("10 140 0 0 0 / 1 20 1 1 1"));  // the run's substitutions written back

    const h7::RunInputs in{.inputFolder = dir.path(), .outputFile = dir.file("core.csv"), .prefectures = {"13"},
                           .numerify = true, .nameFolders = {H7_BIN_DIR}, .itemSets = {{10, 0, 0}, {100, 140, 20}},
                           .municipalityFilter = true, .municipalities = {{101, 101}, {300, 370}}};
    QCOMPARE(status()->text(), h7::runExtraction(in).message());
    QCOMPARE(dir.bytes("core.csv"), dir.bytes("out.csv"));

    // Without items: the no-items message, the earlier output kept.
    const std::string earlier = dir.bytes("out.csv");
    params().NFR[0].assign(0);
    click(main.get(), "Command3");
    QCOMPARE(messages, QStringList{h7::errorMessage(h7::msg::noItems())});
    QCOMPARE(status()->text(), QStringLiteral(" "));
    QCOMPARE(dir.bytes("out.csv"), earlier);

    // A census file that is a pipe, its writer slow: while the run waits for the rest, the
    // window is kept alive, the status line cleared and the bar shown.
    const std::string data = dir.bytes("H7S13S1.DAT");
    QFile::remove(dir.file("H7S13S1.DAT"));
    QCOMPARE(::mkfifo(QFile::encodeName(dir.file("H7S13S1.DAT")).constData(), 0600), 0);
    std::promise<void> seen;
    std::thread writer([&, half = qint64(data.size() / 2)] {
      QFile pipe(dir.file("H7S13S1.DAT"));
      pipe.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
      pipe.write(data.data(), half);
      seen.get_future().wait_for(std::chrono::seconds(10));  // in vain when the window is not kept alive
      pipe.write(data.data() + half, qint64(data.size()) - half);
    });
    QString held;  // the status line while the bar shows
    QTimer look;
    connect(&look, &QTimer::timeout, this, [&] {
      if (held.isNull() && h7test::child(main.get(), "ProgressBar1")->isVisible()) held = status()->text(), seen.set_value();
    });
    look.start(10);
    params().NFR[0].assign(10);
    status()->setText("message of the last run");
    click(main.get(), "Command3");
    writer.join();
    QCOMPARE(held, QStringLiteral(" "));
    QCOMPARE(dir.bytes("out.csv"), dir.bytes("core.csv"));

    // The same from the data packed into a zip, in a folder there.
    h7test::pack(dir.file("data.zip"), "zip", "none", {{"国勢調査/H7S13S1.DAT", data}});
    field(main.get(), "Text1")->setText(dir.file("data.zip"));
    QFile::remove(dir.file("out.csv"));
    click(main.get(), "Command3");
    QCOMPARE(dir.bytes("out.csv"), dir.bytes("core.csv"));
  }
};

QTEST_MAIN(Form1Test)
#include "gui_form1.moc"
