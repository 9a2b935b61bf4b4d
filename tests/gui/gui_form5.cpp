// Form5's wiring: the list opened from Form4 with the group of the main screen, the search
// key taken from its field, a failure that keeps the list, "戻る", closing and reopening.
#include <QFile>
#include <QScrollBar>
#include <QTableWidget>

#include "gui/form4.h"
#include "gui/form5.h"
#include "support/screens.h"
#include "support/testutil.h"

using h7test::click;

class Form5Test : public h7test::ScreenSuite {
  Q_OBJECT

  std::unique_ptr<h7test::ScratchDir> dir;
  Form4* form4 = nullptr;

  Form5* list() { return h7test::screenOf<Form5>(); }
  // The grid rows after the heading as "number|name", without the two empty rows at the end.
  QTableWidget* grid() { return h7test::child<QTableWidget>(list(), "FGrid1"); }
  QStringList rows() {
    QStringList rows;
    for (int r = 1; r < grid()->rowCount(); ++r)
      if (QTableWidgetItem* n = grid()->item(r, 0); n && !n->text().isEmpty()) rows << n->text() + u'|' + grid()->item(r, 1)->text();
    return rows;
  }
  // The text of the cell that the user sees at `p` of the list screen.
  QString shownAt(QPoint p) {
    QWidget* viewport = list()->childAt(p);
    auto* view = viewport ? qobject_cast<QAbstractItemView*>(viewport->parentWidget()) : nullptr;
    return view ? view->indexAt(viewport->mapFrom(list(), p)).data().toString() : QString();
  }

 private slots:
  void init() {
    dir = std::make_unique<h7test::ScratchDir>();
    QVERIFY(showMainScreen());
    params().B_Path = dir->path();
    QVERIFY(form4 = h7test::open<Form4>(main.get(), "Command4"));
  }
  void cleanup() {
    main.reset();
    dir.reset();
  }

  void listSearchAndFailure() {
    click(form4, "Command2");  // no file: the message, the list made but hidden
    QCOMPARE(messages.size(), 1);
    QVERIFY(list() && list()->isHidden());
    dir->write("NAMEH7S2.CCC", h7test::sjis("三\r\n四\r\n"));
    click(main.get(), "Option2");
    click(form4, "Command2");
    QCOMPARE(rows(), (QStringList{" 1362|三", " 1363|四"}));
    h7test::type(list(), "Text1", "四");
    click(list(), "Command1");
    QCOMPARE(rows(), QStringList{" 1363|四"});
    QFile::remove(dir->file("NAMEH7S2.CCC"));  // read afresh at every press
    click(list(), "Command1");
    QCOMPARE(messages.size(), 2);
    QVERIFY(list()->isVisible() && rows() == QStringList{" 1363|四"} && grid()->rowCount() == 1400);
  }

  // "戻る" brings Form4 to the front, a new one if its window was closed; the list shown
  // again is the full one; a closed list starts afresh.
  void backAndClosing() {
    dir->write("NAMEH7S1.CCC", h7test::sjis("一\r\n二\r\n"));
    click(form4, "Command2");
    // The item numbers stay in place while the names scroll sideways to their far end.
    const QPoint number = grid()->viewport()->mapTo(list(), grid()->visualItemRect(grid()->item(1, 0)).center());
    QCOMPARE(shownAt(number), " 1");
    grid()->horizontalScrollBar()->setValue(grid()->horizontalScrollBar()->maximum());
    QVERIFY(grid()->horizontalScrollBar()->value() > 0);
    QCOMPARE(shownAt(number), " 1");
    h7test::type(list(), "Text1", "二");
    click(list(), "Command2");
    QTRY_COMPARE(QApplication::activeWindow(), form4);
    click(form4, "Command2");  // the full list again
    QTRY_VERIFY(QApplication::activeWindow() == list() && rows().size() == 2);
    list()->close();
    QTRY_VERIFY(!list());
    click(form4, "Command2");
    QVERIFY(list() && list()->isVisible() && h7test::field(list(), "Text1")->text().isEmpty());
    form4->close();
    QTRY_VERIFY(!h7test::screenOf<Form4>());
    click(list(), "Command2");
    QTRY_VERIFY(h7test::screenOf<Form4>() && QApplication::activeWindow() == h7test::screenOf<Form4>());
  }
};

QTEST_MAIN(Form5Test)
#include "gui_form5.moc"
