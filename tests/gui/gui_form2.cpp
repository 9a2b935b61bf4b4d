// Form2's wiring in a scratch folder tree: folders opened, files picked, the field that the
// main screen names filled, a folder that cannot be read leaving the picker usable, an
// archive opened as a folder for the input field alone.
#include <QLabel>
#include <QListWidget>
#include <QTreeWidget>

#include "gui/form2.h"
#include "support/screens.h"
#define H7_PACK_CHECK(ok, what) QVERIFY2(ok, what)
#include "support/archive_pack.h"
#include "support/testutil.h"

class Form2Test : public h7test::ScreenSuite {
  Q_OBJECT

  const QString startFolder = QDir::currentPath();
  std::unique_ptr<h7test::ScratchDir> tree;
  QString root;  // the top of the scratch tree, the process's current folder
  Form2* picker = nullptr;

  QString text(const char* name) { return h7test::field(main.get(), name)->text(); }
  void browse(const char* button) { QVERIFY(picker = h7test::open<Form2>(main.get(), button)); }
  // A double click on a folder of the tree, by its text.
  void openFolder(const QString& text) {
    auto* dir1 = h7test::child<QTreeWidget>(picker, "Dir1");
    QTreeWidgetItem* item = dir1->findItems(text, Qt::MatchExactly | Qt::MatchRecursive).value(0);
    QVERIFY2(item, qPrintable(text));
    emit dir1->itemDoubleClicked(item, 0);
  }
  QListWidget* files() { return h7test::child<QListWidget>(picker, "File1"); }
  QStringList fileNames() {
    QStringList names;
    for (int i = 0; i < files()->count(); ++i) names << files()->item(i)->text();
    return names;
  }
  void clickFile(const QString& name) { emit files()->itemClicked(files()->findItems(name, Qt::MatchExactly).value(0)); }

 private slots:
  void init() {
    // root/{DATA/{H7S13S1.DAT, OUT.CSV, SUB/}, EMPTY/, top.txt, .hidden}
    root = (tree = std::make_unique<h7test::ScratchDir>())->path();
    QVERIFY(QDir(root).mkpath("DATA/SUB") && QDir(root).mkdir("EMPTY"));
    for (const char* file : {"DATA/H7S13S1.DAT", "DATA/OUT.CSV", "top.txt", ".hidden"}) tree->write(file, "x");
    QVERIFY(QDir::setCurrent(root));
    QVERIFY(showMainScreen());
  }
  void cleanup() {
    main.reset();
    QDir::setCurrent(startFolder);
    tree.reset();
  }

  // A folder change fills the field that TEXTSW names, also after the main screen
  // retargeted the open picker; any other switch text fills nothing.
  void folderChangeFillsTheTargetField() {
    browse("Command1");
    QCOMPARE(fileNames(), QStringList{"top.txt"});  // at the current folder, hidden files left out
    QVERIFY(text("Text1").isEmpty());              // opening the picker is no folder change
    openFolder("DATA");
    QCOMPARE(text("Text1"), root + "/DATA");
    QCOMPARE(fileNames(), (QStringList{"H7S13S1.DAT", "OUT.CSV"}));
    h7test::click(main.get(), "Command2");  // the picker stays open, now for the output
    h7test::field(main.get(), "Text2")->setText(root);
    h7test::child<QLabel>(main.get(), "Label1")->setText("message");
    openFolder(QFileInfo(root).fileName());  // back up through the tree: the same text, still a write
    QCOMPARE(h7test::child<QLabel>(main.get(), "Label1")->text(), QStringLiteral(" "));
    QCOMPARE(text("Text1") + u'|' + text("Text2"), root + "/DATA|" + root);
  }

  // A file picked by click or Enter fills the field and hides the picker; the next showing
  // lists the folder again where it was left, a closed picker starts afresh.
  void filePickWritesAndHides() {
    browse("Command1");
    openFolder("DATA");
    clickFile("OUT.CSV");
    QVERIFY(picker->isHidden());
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(main.get()));
    QCOMPARE(text("Text1"), root + "/DATA/");  // the input folder field takes the folder
    tree->write("DATA/new.txt", "x");
    browse("Command2");
    QCOMPARE(fileNames(), (QStringList{"H7S13S1.DAT", "new.txt", "OUT.CSV"}));
    files()->setFocus();
    QTest::keyClick(files(), Qt::Key_End);
    QTest::keyClick(files(), Qt::Key_Enter);
    QCOMPARE(text("Text2"), root + "/DATA/OUT.CSV");  // the output field the file
    browse("Command1");
    picker->close();
    QTRY_VERIFY(!h7test::screenOf<Form2>());
    browse("Command1");
    QCOMPARE(picker->path(), root);
    QVERIFY(messages.isEmpty());
  }

  // A folder that went away after it was listed: the message, the field as it was, the
  // picker still working.
  void aFolderThatCannotBeReadLeavesEverythingUsable() {
    browse("Command1");
    openFolder("DATA");
    h7test::field(main.get(), "Text1")->setText("typed");
    QVERIFY(QDir(root).rmdir("DATA/SUB"));
    openFolder("SUB");
    QCOMPARE(messages, QStringList{h7::errorMessage(h7::msg::pathNotFound())});
    QVERIFY(picker->isVisible() && text("Text1") == "typed");
    clickFile("OUT.CSV");
    QCOMPARE(text("Text1"), root + "/DATA/");
  }

  // For the input field an archive is a folder after the others, its inside listed, the
  // archive itself chosen; for the output field it is a file, and the picker leaves it.
  void anArchiveIsAFolderForTheInputField() {
    const QString zip = root + "/DATA.zip";
    h7test::pack(zip, "zip", "none", {{"国勢調査/H7S13S1.DAT", "x"}, {"top.csv", "x"}});
    browse("Command1");
    QCOMPARE(h7test::child<QTreeWidget>(picker, "Dir1")->currentItem()->child(2)->text(0), QString("DATA.zip"));
    openFolder("DATA.zip");
    QCOMPARE(fileNames().join('|') + ' ' + text("Text1"), "top.csv " + zip);
    openFolder("国勢調査");
    QCOMPARE(picker->path() + ' ' + fileNames().join('|') + ' ' + text("Text1"), zip + "/国勢調査 H7S13S1.DAT " + zip);
    clickFile("H7S13S1.DAT");
    QCOMPARE(text("Text1"), zip);
    browse("Command2");
    QCOMPARE(picker->path() + ' ' + fileNames().join('|'), root + " DATA.zip|top.txt");
    browse("Command1");  // the open picker retargeted
    QCOMPARE(fileNames(), QStringList{"top.txt"});
  }
};

QTEST_MAIN(Form2Test)
#include "gui_form2.moc"
