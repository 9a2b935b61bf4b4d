// Form2 driven as a user would in a scratch folder tree: folders opened by double
// clicks, files clicked, the target field switched from the main screen meanwhile.
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeWidget>
#include <QtTest>

#include "picker/form2.h"
#include "support/screens.h"
#include "support/testutil.h"

class Form2Test : public h7test::ScreenSuite {
  Q_OBJECT

  const QString startFolder = QDir::currentPath();
  std::unique_ptr<h7test::ScratchDir> tree;
  QString root;  // the top of the scratch tree, the process's current folder
  Form2* picker = nullptr;

  QString pathMissing() { return QStringLiteral("ERROR  パスが見つかりません。"); }

  // The main screen's browse button, then the picker in front.
  void browse(QPushButton* button) { QVERIFY(picker = h7test::open(button, main->form2)); }
  QTreeWidgetItem* folderItem(const QString& text) {
    return picker->Dir1->findItems(text, Qt::MatchExactly | Qt::MatchRecursive).value(0);
  }
  void openFolder(const QString& text) {
    QTreeWidgetItem* item = folderItem(text);
    QVERIFY2(item, qPrintable(text));
    picker->Dir1->scrollToItem(item);
    const QPoint at = picker->Dir1->visualItemRect(item).center();
    QWidget* area = picker->Dir1->viewport();
    QTest::mouseClick(area, Qt::LeftButton, {}, at);  // press, release, the second press, release
    QTest::mouseDClick(area, Qt::LeftButton, {}, at);
    QTest::mouseRelease(area, Qt::LeftButton, {}, at);
  }
  void clickFile(const QString& name) {
    const QList<QListWidgetItem*> items = picker->File1->findItems(name, Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    picker->File1->scrollToItem(items[0]);
    QTest::mouseClick(picker->File1->viewport(), Qt::LeftButton, {},
                      picker->File1->visualItemRect(items[0]).center());
  }
  QStringList folders() {
    QStringList texts;
    for (QTreeWidgetItemIterator it(picker->Dir1); *it; ++it) texts << (*it)->text(0);
    return texts;
  }
  QStringList files() {
    QStringList names;
    for (int i = 0; i < picker->File1->count(); ++i) names << picker->File1->item(i)->text();
    return names;
  }
  QString rootName() { return QFileInfo(root).fileName(); }

 private slots:
  void init() {
    // root/{DATA/{H7S13S1.DAT, OUT.CSV, SUB/}, EMPTY/, top.txt, .hidden}
    tree = std::make_unique<h7test::ScratchDir>();
    root = tree->path();
    QDir d(root);
    QVERIFY(d.mkpath("DATA/SUB") && d.mkdir("EMPTY"));
    for (const char* file : {"DATA/H7S13S1.DAT", "DATA/OUT.CSV", "top.txt", ".hidden"}) tree->write(file, "x");
    QVERIFY(QDir::setCurrent(root));
    QVERIFY(showMainScreen());
  }
  void cleanup() {
    main.reset();
    QDir::setCurrent(startFolder);
    tree.reset();
  }

  void startsAtTheCurrentFolder() {
    browse(main->Command1);
    QCOMPARE(picker->windowTitle(), QStringLiteral("ＤＲＩＶＥ／ＦＯＬＤＥＲ／ＦＩＬＥ指定画面"));
    QCOMPARE(picker->size(), QSize(442, 294));  // 6636 x 4416 twips
    QCOMPARE(picker->Drive1->geometry(), QRect(8, 16, 201, 18));
    QCOMPARE(picker->Dir1->geometry(), QRect(8, 48, 201, 236));
    QCOMPARE(picker->File1->geometry(), QRect(216, 16, 217, 269));

    // The tree: every folder from the file-system root down, then the subfolders.
    QStringList expected;
    for (QString at = root; !QFileInfo(at).isRoot(); at = QFileInfo(at).path())
      expected.prepend(QFileInfo(at).fileName());
    expected.prepend(QDir::rootPath());
    QCOMPARE(folders(), expected + QStringList({"DATA", "EMPTY"}));
    QCOMPARE(folderItem("DATA")->parent(), folderItem(rootName()));
    QCOMPARE(files(), QStringList{"top.txt"});  // hidden files are left out
    QCOMPARE(picker->Drive1->currentData().toString(), QStorageInfo(root).rootPath());
    QVERIFY(main->Text1->text().isEmpty());  // opening the picker is no folder change
  }

  // A folder change fills the field that TEXTSW names, also after the main screen
  // retargeted the open picker.
  void folderChangeFillsTheTargetField() {
    browse(main->Command1);
    openFolder("DATA");
    QCOMPARE(main->Text1->text(), root + "/DATA");
    QCOMPARE(files(), (QStringList{"H7S13S1.DAT", "OUT.CSV"}));
    QVERIFY(folderItem("SUB") && !folderItem("EMPTY"));
    openFolder(rootName());  // back up through the tree
    QCOMPARE(main->Text1->text(), root);

    QTest::mouseClick(main->Command2, Qt::LeftButton);  // the picker stays open, now for the output
    openFolder("EMPTY");
    QCOMPARE(main->Text2->text(), root + "/EMPTY");
    QCOMPARE(main->Text1->text(), root);

    // Any other switch text fills nothing; a file click still hides the picker.
    main->TEXTSW = "text1";
    openFolder(rootName());
    openFolder("DATA");
    clickFile("OUT.CSV");
    QVERIFY(picker->isHidden());
    QCOMPARE(main->Text1->text(), root);
    QCOMPARE(main->Text2->text(), root + "/EMPTY");
  }

  void theKeyboardOpensFoldersAndPicksFiles() {
    browse(main->Command2);
    picker->Dir1->setFocus();
    QTest::keyClick(picker->Dir1, Qt::Key_Down);  // from the current folder to its first subfolder
    QTest::keyClick(picker->Dir1, Qt::Key_Return);
    QCOMPARE(main->Text2->text(), root + "/DATA");
    picker->File1->setFocus();
    QTest::keyClick(picker->File1, Qt::Key_End);
    QVERIFY(picker->isVisible());  // moving through the files picks none
    QTest::keyClick(picker->File1, Qt::Key_Enter);
    QCOMPARE(main->Text2->text(), root + "/DATA/OUT.CSV");
    QVERIFY(picker->isHidden());
  }

  // A file click fills the field, hides the picker, and the next showing opens where it was.
  void fileClickWritesWithOneSeparatorAndHides() {
    // The button, the folder opened (empty: where the picker is), the file clicked (empty:
    // none), the field and what it holds afterwards.
    const std::tuple<const char*, QString, QString, const char*, QString> steps[] = {
        {"Command1", "DATA", "OUT.CSV", "Text1", root + "/DATA/"},
        {"Command2", "", "OUT.CSV", "Text2", root + "/DATA/OUT.CSV"},  // opens where it was left
        {"Command2", "SUB", "", "Text2", root + "/DATA/SUB"},
        {"Command2", "DATA", "H7S13S1.DAT", "Text2", root + "/DATA/H7S13S1.DAT"},
        {"Command2", rootName(), "top.txt", "Text2", root + "/top.txt"},
        {"Command1", "", "top.txt", "Text1", root + "/"},
    };
    QString expectedFolder = root;
    for (const auto& [button, folder, file, field, written] : steps) {
      browse(main->findChild<QPushButton*>(button));
      QCOMPARE(picker->path(), expectedFolder);
      if (!folder.isEmpty()) openFolder(folder);
      expectedFolder = picker->path();
      if (!file.isEmpty()) {
        clickFile(file);
        QVERIFY(picker->isHidden());
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(main.get()));
      }
      QCOMPARE(main->findChild<QLineEdit*>(field)->text(), written);
    }
    QVERIFY(messages.isEmpty());
    // Each showing lists the folder again; a closed picker starts afresh.
    tree->write("new.txt", "x");
    browse(main->Command1);
    QCOMPARE(files(), (QStringList{"new.txt", "top.txt"}));
    openFolder("DATA");
    picker->close();
    QTRY_VERIFY(!main->form2);
    browse(main->Command1);
    QCOMPARE(picker->path(), root);
  }

  void atTheFileSystemRootNoSecondSeparator() {
    browse(main->Command2);
    openFolder(QDir::rootPath());
    QCOMPARE(main->Text2->text(), QStringLiteral("/"));
    const QString top = root.section(u'/', 1, 1);  // a folder below the root
    openFolder(top);
    QCOMPARE(main->Text2->text(), "/" + top);
    openFolder(QDir::rootPath());
    if (files().isEmpty()) return;
    const QString name = files().first();
    clickFile(name);
    QCOMPARE(main->Text2->text(), "/" + name);
    browse(main->Command1);
    clickFile(name);
    QCOMPARE(main->Text1->text(), QStringLiteral("/"));
  }

  // Folders that went away after they were listed (a missing permission does not stop
  // root; its message is checked with the path rules), one replaced by a file.
  void aFolderThatCannotBeReadLeavesEverythingUsable() {
    browse(main->Command1);
    openFolder("DATA");
    main->Text1->setText("typed");
    openFolder("DATA");  // the folder shown is only read again: no folder change
    QVERIFY(QDir(root).rmdir("DATA/SUB"));
    openFolder("SUB");
    QCOMPARE(messages, QStringList{pathMissing()});
    QVERIFY(folderItem("SUB") && picker->isVisible());  // the last listing stays
    QCOMPARE(files(), (QStringList{"H7S13S1.DAT", "OUT.CSV"}));
    QCOMPARE(main->Text1->text(), QStringLiteral("typed"));

    openFolder(rootName());
    QVERIFY(QDir(root).rmdir("EMPTY"));
    tree->write("EMPTY", "now a file");
    openFolder("EMPTY");
    QCOMPARE(messages, (QStringList{pathMissing(), pathMissing()}));
    QCOMPARE(main->Text1->text(), root);
    clickFile("top.txt");  // and the picker goes on working
    QCOMPARE(main->Text1->text(), root + "/");
  }

  // The process's folder removed under it: the picker says so and opens at the first drive.
  void aCurrentFolderThatIsGoneOpensTheFirstDrive() {
    QVERIFY(QDir::setCurrent(root + "/DATA/SUB"));
    QVERIFY(QDir(root).rmdir("DATA/SUB"));
    browse(main->Command1);
    QCOMPARE(messages, QStringList{pathMissing()});
    QCOMPARE(picker->path(), QDir::rootPath());
    QCOMPARE(picker->Drive1->currentIndex(), 0);
  }
};

QTEST_MAIN(Form2Test)
#include "gui_form2.moc"
