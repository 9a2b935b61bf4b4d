// Form5 driven as a user would: the list opened from Form4, the filter search, the
// group switched on the main screen, failures, "戻る", and closing and reopening.
#include <QFile>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "extract/fileio.h"
#include "items/form4.h"
#include "items/form5.h"
#include "support/screens.h"
#include "support/testutil.h"

namespace {

// The rows of a successful list: heading, "number|name" rows, two empty rows.
QStringList listed(const QStringList& items) {
  return QStringList{QStringLiteral("項目番号|    項目名称")} + items + QStringList{"|", "|"};
}

QStringList numbered(int count) {
  QStringList names;
  for (int i = 1; i <= count; ++i) names << QStringLiteral("名称%1").arg(i);
  return names;
}

}  // namespace

class Form5Test : public h7test::ScreenSuite {
  Q_OBJECT

  std::unique_ptr<h7test::ScratchDir> dir;
  Form4* form4 = nullptr;

  Form5* list() { return main->form5; }
  // The grid rows as "number|name", row 0 the heading.
  QStringList rows() {
    QStringList rows;
    for (int r = 0; r < list()->FGrid1->rowCount(); ++r) {
      QTableWidgetItem* number = list()->FGrid1->item(r, 0);
      QTableWidgetItem* name = list()->FGrid1->item(r, 1);
      rows << (number ? number->text() : QString()) + u'|' + (name ? name->text() : QString());
    }
    return rows;
  }
  // The item-name file of the group: one Shift-JIS line per name, CR LF ended.
  void writeNames(int group, const QStringList& names) {
    const QByteArray text = (names.join("\r\n") + "\r\n").toUtf8();
    dir->write(QStringLiteral("NAMEH7S%1.CCC").arg(group), h7test::sjis(text.constData()));
  }
  void showList() { QTest::mouseClick(form4->Command2, Qt::LeftButton); }
  void search(const QString& key) {
    list()->Text1->clear();
    h7test::typeText(list()->Text1, key);
    QTest::mouseClick(list()->Command1, Qt::LeftButton);
  }

 private slots:
  void init() {
    dir = std::make_unique<h7test::ScratchDir>();
    QVERIFY(showMainScreen());
    main->B_Path = dir->path();
    QVERIFY(form4 = h7test::open(main->Command4, main->form4));
  }
  void cleanup() {
    main.reset();
    dir.reset();
  }

  void screenAsDrawn() {
    writeNames(1, {"総数"});
    showList();
    QVERIFY(list() && QTest::qWaitForWindowActive(list()));
    QCOMPARE(list()->windowTitle(), QStringLiteral("項目一覧表示"));
    QCOMPARE(list()->size(), QSize(601, 373));  // 9012 x 5592 twips
    QCOMPARE(list()->FGrid1->geometry(), QRect(0, 64, 601, 313));
    QCOMPARE(list()->FGrid1->columnWidth(0), 47);   // 700 twips
    QCOMPARE(list()->FGrid1->columnWidth(1), 600);  // 9000 twips
    QCOMPARE(list()->FGrid1->horizontalHeaderItem(1)->text(), QStringLiteral("    項目名称"));  // stays in view
    QCOMPARE(h7test::focusChain(list()->FGrid1, 5), (QStringList{"FGrid1", "Command1", "Text1", "Command2", "FGrid1"}));
  }

  void filterSearch_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("blanks only") << "   "
                                 << listed({" 1|総数", " 2|人口１２歳", " 3|人口12歳", " 4|ＡＢ世帯", " 5|男（再掲）", " 6|",
                                            " 7|ａｂ", " 8|男　女", " 9|男 女", " 10|ｶﾅ", " 11|カナ", " 12|かな",
                                            " 13|女（再掲）"});
    QTest::newRow("half-width digits find full-width ones only") << "12" << listed({" 2|人口１２歳"});
    QTest::newRow("letters widened, case kept") << "A" << listed({" 4|ＡＢ世帯"});
    QTest::newRow("ends trimmed, inner blank widened") << " 男 女 " << listed({" 8|男　女"});
    QTest::newRow("kana widened, hiragana differs") << "ｶﾅ" << listed({" 11|カナ"});
    QTest::newRow("rows keep their own numbers") << "再掲" << listed({" 5|男（再掲）", " 13|女（再掲）"});
    QTest::newRow("no match") << "子" << listed({});
  }
  void filterSearch() {
    QFETCH(QString, key);
    QFETCH(QStringList, rows);
    writeNames(1, {"総数", "人口１２歳", "人口12歳", "ＡＢ世帯", "男（再掲）", "", "ａｂ", "男　女", "男 女", "ｶﾅ", "カナ",
                   "かな", "女（再掲）"});
    showList();
    search(key);
    QCOMPARE(this->rows(), rows);
    QCOMPARE(list()->Text1->text(), key);
    QVERIFY(messages.isEmpty());
  }

  // Group and item-name file are taken afresh at every press.
  void groupSwitchedWhileTheListIsUp() {
    writeNames(1, {"一", "二"});
    writeNames(2, {"三", "四"});
    writeNames(3, {"五"});
    showList();
    QCOMPARE(rows(), listed({" 1|一", " 2|二"}));
    h7test::chooseGroup(*main, 2);
    search("");
    QCOMPARE(rows(), listed({" 1362|三", " 1363|四"}));
    h7test::chooseGroup(*main, 3);
    showList();
    QCOMPARE(rows(), listed({" 2376|五"}));
  }

  // A missing file, an empty one, and failures that keep the list and its visibility.
  void missingEmptyAndFailingFiles() {
    const QString names = dir->file("NAMEH7S1.CCC");  // named in the message
    showList();  // no file: the list is made but stays hidden
    QCOMPARE(messages, QStringList{"ERROR " + h7::withPath(h7::fileNotFound(), names)});
    QVERIFY(list() && list()->isHidden());
    dir->write("NAMEH7S1.CCC", "");
    showList();
    QVERIFY(list()->isVisible());
    QCOMPARE(rows(), listed({}));

    writeNames(1, {"一", "二"});
    search("二");
    const QStringList before = rows();
    messages.clear();
    QFile::remove(names);
    search("一");
    QCOMPARE(messages, QStringList{"ERROR " + h7::withPath(h7::fileNotFound(), names)});
    QCOMPARE(rows(), before);
    QVERIFY(list()->isVisible());

    messages.clear();
    writeNames(1, numbered(1401));
    showList();
    QCOMPARE(messages, QStringList{"ERROR " + h7::withPath(h7::outOfRange(), names)});
    QCOMPARE(rows(), before);
  }

  // Every line of a full name table is listed.
  void longFiles() {
    for (int lines : {1399, 1400}) {
      writeNames(1, numbered(lines));
      showList();
      QVERIFY(messages.isEmpty());
      QCOMPARE(rows().size(), lines + 3);
      QCOMPARE(rows()[lines], QStringLiteral(" %1|名称%1").arg(lines));
    }
    search("名称");  // a filter that keeps all 1400
    QCOMPARE(rows().size(), 1403);
  }

  // "戻る" brings Form4 to the front, a new one if its window was closed; a closed list
  // starts afresh.
  void backAndClosing() {
    writeNames(1, {"一", "二"});
    showList();
    search("二");
    QTest::mouseClick(list()->Command2, Qt::LeftButton);
    QTRY_COMPARE(QApplication::activeWindow(), form4);
    QVERIFY(list()->isVisible());  // left open behind
    showList();  // the full list again, the search text kept
    QTRY_COMPARE(QApplication::activeWindow(), list());
    QCOMPARE(rows(), listed({" 1|一", " 2|二"}));
    QCOMPARE(list()->Text1->text(), QStringLiteral("二"));

    list()->close();
    QTRY_VERIFY(!list());
    showList();
    QVERIFY(list() && list()->isVisible() && list()->Text1->text().isEmpty());

    h7test::typeText(form4->Text1, "5");
    form4->close();
    QTRY_VERIFY(!main->form4);
    QTest::mouseClick(list()->Command2, Qt::LeftButton);
    QVERIFY(main->form4 && main->form4->Text1->text().isEmpty());
    QTRY_COMPARE(QApplication::activeWindow(), main->form4.data());
  }
};

QTEST_MAIN(Form5Test)
#include "gui_form5.moc"
