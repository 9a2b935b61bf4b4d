// Form5 driven as a user would: the list opened from Form4, the filter search, the
// group switched on the main screen, failures, "戻る", and closing and reopening.
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QtTest>

#include "common/messagebox.h"
#include "common/screen_layout.h"
#include "extract/fileio.h"
#include "items/form4.h"
#include "items/form5.h"
#include "main/form1.h"
#include "support/testutil.h"
#include "items/name_files.h"
#include "support/screens.h"

namespace {

const QString kHeading = QStringLiteral("項目番号|    項目名称");

// The grid rows as "number|name", row 0 the heading.
QStringList gridRows(QTableWidget* grid) {
  QStringList rows;
  for (int r = 0; r < grid->rowCount(); ++r) {
    QString cells[2];
    for (int c = 0; c < 2; ++c)
      if (QTableWidgetItem* item = grid->item(r, c)) cells[c] = item->text();
    rows << cells[0] + u'|' + cells[1];
  }
  return rows;
}

// The rows of a successful list: heading, "number|name" rows, two empty rows.
QStringList listed(const QStringList& items) { return QStringList{kHeading} + items + QStringList{"|", "|"}; }

QStringList numbered(int count) { return h7test::numberedNames(QStringLiteral("名称"), count); }

}  // namespace

class Form5Test : public QObject {
  Q_OBJECT

  QStringList messages;
  std::unique_ptr<Form1> main;
  std::unique_ptr<h7test::ScratchDir> dir;
  Form4* form4 = nullptr;

  Form5* list() { return main->form5; }
  void writeNames(int group, const QStringList& names) { h7test::writeNames(*dir, group, names); }
  void chooseGroup(int group) {
    QRadioButton* options[] = {main->Option1, main->Option2, main->Option3};
    QTest::mouseClick(options[group - 1], Qt::LeftButton);
  }
  void showList() { QTest::mouseClick(form4->Command2, Qt::LeftButton); }
  void search(const QString& key) {
    list()->Text1->clear();
    h7test::typeText(list()->Text1, key);
    QTest::mouseClick(list()->Command1, Qt::LeftButton);
  }

 private slots:
  void initTestCase() { h7test::recordMessages(messages); }
  void init() {
    messages.clear();
    dir = std::make_unique<h7test::ScratchDir>();
    main = h7test::showMainScreen();
    main->B_Path = dir->path();
    QVERIFY(QTest::qWaitForWindowActive(main.get()));
    QTest::mouseClick(main->Command4, Qt::LeftButton);
    form4 = main->form4;
    QVERIFY(form4 && form4->isVisible());
  }
  void cleanup() {
    main.reset();
    dir.reset();
  }

  void screenAsDescribed() {
    writeNames(1, {"総数"});
    showList();
    QVERIFY(list() && list()->isVisible());
    QCOMPARE(list()->windowTitle(), QStringLiteral("項目一覧表示"));
    QCOMPARE(list()->size(), QSize(601, 373));  // 9012 x 5592 twips
    QCOMPARE(list()->FGrid1->geometry(), QRect(0, 64, 601, 313));
    QCOMPARE(list()->FGrid1->columnCount(), 2);
    QCOMPARE(list()->FGrid1->columnWidth(0), 47);   // 700 twips
    QCOMPARE(list()->FGrid1->columnWidth(1), 600);  // 9000 twips
    QCOMPARE(list()->FGrid1->font().pointSizeF(), 7.8);
    QCOMPARE(list()->FGrid1->horizontalHeaderItem(1)->text(), QStringLiteral("    項目名称"));  // stays in view
    QCOMPARE(list()->Label1->text(), QStringLiteral("検索文字列"));
    QCOMPARE(list()->Command1->text(), QStringLiteral("絞込み検索"));
    QCOMPARE(list()->Command2->text(), QStringLiteral("戻る"));
    QCOMPARE(list()->Text1->toolTip(), QStringLiteral("一覧表からさらに絞込みを行う場合のＫＥＹとなる文字列を記入します"));
    QCOMPARE(list()->Command1->toolTip(), QStringLiteral("左欄で指定した文字列を含む項目名称一覧を選択表示します"));
    QCOMPARE(list()->Command2->toolTip(), QStringLiteral("選択項目指定画面へ戻ります"));
    QCOMPARE(list()->FGrid1->currentRow(), 1);
    QCOMPARE(list()->FGrid1->currentColumn(), 1);

    QVERIFY(QTest::qWaitForWindowActive(list()));
    list()->FGrid1->setFocus();
    QStringList visited;
    for (int i = 0; i < 5; ++i) {
      visited << QApplication::focusWidget()->objectName();
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(visited, (QStringList{"FGrid1", "Command1", "Text1", "Command2", "FGrid1"}));
  }

  void filterSearch_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("rows");
    const QStringList all{" 1|総数", " 2|人口１２歳", " 3|人口12歳", " 4|ＡＢ世帯", " 5|男（再掲）", " 6|", " 7|ａｂ",
                          " 8|女", " 9|女（再掲）"};
    QTest::newRow("blanks only") << "   " << listed(all);
    QTest::newRow("half-width 12") << "12" << listed({" 2|人口１２歳"});
    QTest::newRow("ａ is not Ａ") << "ａ" << listed({" 7|ａｂ"});
    QTest::newRow("own numbers") << " 再掲 " << listed({" 5|男（再掲）", " 9|女（再掲）"});
    QTest::newRow("no match") << "子" << listed({});
  }
  void filterSearch() {
    QFETCH(QString, key);
    QFETCH(QStringList, rows);
    writeNames(1, {"総数", "人口１２歳", "人口12歳", "ＡＢ世帯", "男（再掲）", "", "ａｂ", "女", "女（再掲）"});
    showList();
    QCOMPARE(gridRows(list()->FGrid1).size(), 12);
    search(key);
    QCOMPARE(gridRows(list()->FGrid1), rows);
    QCOMPARE(list()->Text1->text(), key);
    QVERIFY(messages.isEmpty());
    QVERIFY(list()->isVisible());
  }

  // Group and item-name file are taken afresh at every press.
  void groupSwitchedWhileTheListIsUp() {
    writeNames(1, {"一", "二"});
    writeNames(2, {"三", "四"});
    writeNames(3, {"五"});
    showList();
    QCOMPARE(gridRows(list()->FGrid1), listed({" 1|一", " 2|二"}));
    chooseGroup(2);
    search("");
    QCOMPARE(gridRows(list()->FGrid1), listed({" 1362|三", " 1363|四"}));
    chooseGroup(3);
    showList();
    QCOMPARE(gridRows(list()->FGrid1), listed({" 2376|五"}));
  }

  void emptyFileShowsTheHeadingOnly() {
    dir->write("NAMEH7S1.CCC", "");
    showList();
    QVERIFY(list()->isVisible());
    QCOMPARE(gridRows(list()->FGrid1), listed({}));
    QVERIFY(messages.isEmpty());
  }

  void failuresKeepTheListAndVisibility() {
    const QString names = dir->file("NAMEH7S1.CCC");  // named in the message
    showList();  // no file: the list is made but stays hidden
    QCOMPARE(messages, QStringList{"ERROR " + h7::withPath(h7::fileNotFound(), names)});
    QVERIFY(list() && list()->isHidden());

    writeNames(1, {"一", "二"});
    showList();
    QVERIFY(list()->isVisible());
    search("二");
    const QStringList before = gridRows(list()->FGrid1);

    messages.clear();
    QFile::remove(dir->file("NAMEH7S1.CCC"));
    search("一");
    QCOMPARE(messages, QStringList{"ERROR " + h7::withPath(h7::fileNotFound(), names)});
    QCOMPARE(gridRows(list()->FGrid1), before);
    QVERIFY(list()->isVisible());

    messages.clear();
    writeNames(1, numbered(1401));
    showList();
    QCOMPARE(messages, QStringList{"ERROR " + h7::withPath(h7::outOfRange(), names)});
    QCOMPARE(gridRows(list()->FGrid1), before);
  }

  // Every line of a full name table is listed.
  void longFiles() {
    for (int lines : {1399, 1400}) {
      writeNames(1, numbered(lines));
      showList();
      QVERIFY(messages.isEmpty());
      const QStringList rows = gridRows(list()->FGrid1);
      QCOMPARE(rows.size(), lines + 3);
      QCOMPARE(rows[lines], QStringLiteral(" %1|名称%1").arg(lines));
      QCOMPARE(rows[lines + 1], QStringLiteral("|"));
    }
    search("名称");  // a filter that keeps all 1400
    QCOMPARE(gridRows(list()->FGrid1).size(), 1403);
  }

  void backBringsForm4ToTheFront() {
    writeNames(1, {"一", "二"});
    showList();
    QVERIFY(QTest::qWaitForWindowActive(list()));
    search("二");
    QTest::mouseClick(list()->Command2, Qt::LeftButton);
    QTRY_COMPARE(QApplication::activeWindow(), form4);
    QVERIFY(list()->isVisible());  // left open behind

    showList();  // the full list again, the search text kept
    QTRY_COMPARE(QApplication::activeWindow(), list());
    QCOMPARE(gridRows(list()->FGrid1), listed({" 1|一", " 2|二"}));
    QCOMPARE(list()->Text1->text(), QStringLiteral("二"));

    // Form4's "戻る" hides the list.
    form4->activateWindow();
    QTest::mouseClick(form4->Command1, Qt::LeftButton);
    QVERIFY(list()->isHidden());
    QVERIFY(messages.isEmpty());
  }

  // With Form4's window closed, "戻る" shows a new, empty one.
  void backAfterForm4WasClosed() {
    writeNames(1, {"一"});
    showList();
    h7test::typeText(form4->Text1, "5");
    form4->close();
    QTRY_VERIFY(!main->form4);
    QTest::mouseClick(list()->Command2, Qt::LeftButton);
    QVERIFY(main->form4 && main->form4->isVisible());
    QVERIFY(main->form4->Text1->text().isEmpty());
    QTRY_COMPARE(QApplication::activeWindow(), main->form4.data());
  }

  void closedListStartsAfresh() {
    writeNames(1, {"一", "二"});
    showList();
    search("二");
    list()->close();
    QTRY_VERIFY(!list());
    showList();
    QVERIFY(list() && list()->isVisible());
    QVERIFY(list()->Text1->text().isEmpty());
    QCOMPARE(gridRows(list()->FGrid1), listed({" 1|一", " 2|二"}));
  }
};

QTEST_MAIN(Form5Test)
#include "gui_form5.moc"
