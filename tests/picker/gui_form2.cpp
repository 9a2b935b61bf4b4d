// Form2 driven as a user would in a scratch folder tree: folders opened by double
// clicks, files clicked, the target field switched from the main screen meanwhile.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeWidget>
#include <QtTest>
#include <unistd.h>

#include "common/messagebox.h"
#include "common/screen_layout.h"
#include "main/form1.h"
#include "picker/form2.h"
#include "support/screens.h"
#include "support/testutil.h"

class Form2Test : public QObject {
  Q_OBJECT

  QStringList messages;
  QString startFolder;
  std::unique_ptr<h7test::ScratchDir> tree;
  QString root;  // the top of the scratch tree, the process's current folder
  std::unique_ptr<Form1> main;
  Form2* picker = nullptr;

  QString pathMissing() { return QStringLiteral("ERROR  パスが見つかりません。"); }
  QWidget* mainWindow() { return main.get(); }

  // The main screen's browse button, then the picker in front.
  void browse(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
    picker = main->form2;
    QVERIFY(picker && picker->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(picker));
  }
  QTreeWidgetItem* folderItem(const QString& text) {
    for (QTreeWidgetItemIterator it(picker->Dir1); *it; ++it)
      if ((*it)->text(0) == text) return *it;
    return nullptr;
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
  void initTestCase() {
    h7test::recordMessages(messages);
    startFolder = QDir::currentPath();
  }
  void init() {
    messages.clear();
    // root/{DATA/{H7S13S1.DAT, OUT.CSV, SUB/}, EMPTY/, top.txt, .hidden}
    tree = std::make_unique<h7test::ScratchDir>();
    root = tree->path();
    QDir d(root);
    QVERIFY(d.mkpath("DATA/SUB") && d.mkdir("EMPTY"));
    for (const char* file : {"DATA/H7S13S1.DAT", "DATA/OUT.CSV", "top.txt", ".hidden"}) tree->write(file, "x");
    QVERIFY(QDir::setCurrent(root));
    main = h7test::showMainScreen();
    QVERIFY(QTest::qWaitForWindowActive(main.get()));
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

    QCOMPARE(picker->path(), root);
    // The tree: every folder from the file-system root down, then the subfolders.
    QStringList expected;
    for (QString at = root; !QFileInfo(at).isRoot(); at = QFileInfo(at).path())
      expected.prepend(QFileInfo(at).fileName());
    expected.prepend(QDir::rootPath());
    QCOMPARE(folders(), expected + QStringList({"DATA", "EMPTY"}));
    QCOMPARE(folderItem("DATA")->parent(), folderItem(rootName()));
    QCOMPARE(picker->Dir1->currentItem(), folderItem(rootName()));
    QCOMPARE(files(), QStringList{"top.txt"});  // hidden files are left out
    QCOMPARE(picker->Drive1->currentData().toString(), QStorageInfo(root).rootPath());
    QVERIFY(main->Text1->text().isEmpty());  // opening the picker is no folder change
  }

  void folderChangeFillsTheTargetField() {
    browse(main->Command1);
    main->Label1->setText("message of the last run");
    openFolder("DATA");
    QCOMPARE(picker->path(), root + "/DATA");
    QCOMPARE(main->Text1->text(), root + "/DATA");
    QCOMPARE(main->Label1->text(), QStringLiteral(" "));
    QCOMPARE(files(), (QStringList{"H7S13S1.DAT", "OUT.CSV"}));
    QVERIFY(folderItem("SUB") && !folderItem("EMPTY"));
    QVERIFY(picker->isVisible());
    openFolder(rootName());  // back up through the tree
    QCOMPARE(main->Text1->text(), root);

    QTest::mouseClick(main->Command2, Qt::LeftButton);  // output: the folder only
    openFolder("EMPTY");
    QCOMPARE(main->Text2->text(), root + "/EMPTY");
    QVERIFY(files().isEmpty());
    QCOMPARE(main->Text1->text(), root);
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

  void fileClickWritesWithOneSeparatorAndHides() {
    const struct {
      const char* button;
      QString folder;  // opened before the click; empty: where the picker is
      QString file;    // clicked; empty: none
      const char* field;
      QString written;
    } steps[] = {
        {"Command1", "DATA", "OUT.CSV", "Text1", root + "/DATA/"},
        {"Command2", "", "OUT.CSV", "Text2", root + "/DATA/OUT.CSV"},  // opens where it was left
        {"Command2", "SUB", "", "Text2", root + "/DATA/SUB"},
        {"Command2", "DATA", "H7S13S1.DAT", "Text2", root + "/DATA/H7S13S1.DAT"},
        {"Command2", rootName(), "top.txt", "Text2", root + "/top.txt"},
        {"Command1", "", "top.txt", "Text1", root + "/"},
    };
    QString expectedFolder = root;
    for (const auto& s : steps) {
      browse(main->findChild<QPushButton*>(s.button));
      QCOMPARE(picker->path(), expectedFolder);
      if (!s.folder.isEmpty()) openFolder(s.folder);
      expectedFolder = picker->path();
      if (!s.file.isEmpty()) {
        clickFile(s.file);
        QVERIFY(picker->isHidden());
        QTRY_COMPARE(QApplication::activeWindow(), mainWindow());
        QCOMPARE(main->form2.data(), picker);  // hidden, not discarded
      }
      QCOMPARE(main->findChild<QLineEdit*>(s.field)->text(), s.written);
    }
    QVERIFY(messages.isEmpty());
  }

  void atTheFileSystemRootNoSecondSeparator() {
    browse(main->Command2);
    openFolder(QDir::rootPath());
    QCOMPARE(main->Text2->text(), QStringLiteral("/"));
    QCOMPARE(folders().first(), QStringLiteral("/"));
    if (files().isEmpty()) return;
    const QString name = files().first();
    clickFile(name);
    QCOMPARE(main->Text2->text(), "/" + name);
    browse(main->Command1);
    clickFile(name);
    QCOMPARE(main->Text1->text(), QStringLiteral("/"));
  }

  void theMainScreenRetargetsTheOpenPicker() {
    browse(main->Command1);
    QTest::mouseClick(main->Command2, Qt::LeftButton);  // the picker stays open
    QCOMPARE(main->TEXTSW, QStringLiteral("TEXT2"));
    openFolder("DATA");
    QCOMPARE(main->Text2->text(), root + "/DATA");
    QVERIFY(main->Text1->text().isEmpty());

    // Any other switch text fills nothing; a file click still hides the picker.
    main->TEXTSW = "text1";
    openFolder("SUB");
    openFolder("DATA");
    clickFile("OUT.CSV");
    QVERIFY(picker->isHidden());
    QVERIFY(main->Text1->text().isEmpty());
    QCOMPARE(main->Text2->text(), root + "/DATA");
  }

  // As root no permission stops a read, so the folder goes away after it was listed.
  void aFolderThatCannotBeReadLeavesEverythingUsable() {
    browse(main->Command1);
    openFolder("DATA");
    QVERIFY(QDir(root).rmdir("DATA/SUB"));
    openFolder("SUB");
    QCOMPARE(messages, QStringList{pathMissing()});
    QCOMPARE(picker->path(), root + "/DATA");
    QVERIFY(folderItem("SUB"));  // the last listing stays
    QCOMPARE(files(), (QStringList{"H7S13S1.DAT", "OUT.CSV"}));
    QCOMPARE(main->Text1->text(), root + "/DATA");
    QVERIFY(picker->isVisible());

    // A folder replaced by a file.
    messages.clear();
    openFolder(rootName());
    QVERIFY(QDir(root).rmdir("EMPTY"));
    tree->write("EMPTY", "now a file");
    openFolder("EMPTY");
    QCOMPARE(messages, QStringList{pathMissing()});
    QCOMPARE(picker->path(), root);
    QCOMPARE(main->Text1->text(), root);

    // Both screens go on working.
    QTest::mouseClick(main->Command2, Qt::LeftButton);
    openFolder("DATA");
    QCOMPARE(main->Text2->text(), root + "/DATA");
    clickFile("OUT.CSV");
    QCOMPARE(main->Text2->text(), root + "/DATA/OUT.CSV");
  }

  void aFolderWithoutReadPermission() {
    if (geteuid() == 0) QSKIP("permissions do not stop root");
    QVERIFY(QDir(root).mkdir("LOCKED"));
    QVERIFY(QFile::setPermissions(root + "/LOCKED", QFile::WriteOwner));
    browse(main->Command1);
    openFolder("LOCKED");
    QCOMPARE(messages, QStringList{QStringLiteral("ERROR  フォルダにアクセスできません。")});
    QCOMPARE(picker->path(), root);
    QVERIFY(main->Text1->text().isEmpty());
    QFile::setPermissions(root + "/LOCKED", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }

  // The process's folder removed under it: the picker says so and opens at the first drive.
  void aCurrentFolderThatIsGoneOpensTheFirstDrive() {
    QVERIFY(QDir::setCurrent(root + "/DATA/SUB"));
    QVERIFY(QDir(root).rmdir("DATA/SUB"));
    browse(main->Command1);
    QCOMPARE(messages, QStringList{pathMissing()});
    QCOMPARE(picker->path(), QDir::rootPath());
    QCOMPARE(picker->Drive1->currentIndex(), 0);
    QVERIFY(!folders().isEmpty());
  }

  void newFilesShowOnTheNextShowing() {
    browse(main->Command2);
    openFolder("DATA");
    clickFile("OUT.CSV");
    tree->write("DATA/NEW.CSV", "x");
    browse(main->Command2);
    QCOMPARE(files(), (QStringList{"H7S13S1.DAT", "NEW.CSV", "OUT.CSV"}));
  }

  void closingDiscardsThePlace() {
    browse(main->Command1);
    openFolder("DATA");
    picker->close();
    QTRY_VERIFY(!main->form2);
    browse(main->Command1);
    QCOMPARE(picker->path(), root);
  }

  // Needs the temporary folder on a volume of its own (a tmpfs /tmp, say): the picker
  // starts in the build folder, and the other drive is the one that holds /tmp.
  void choosingADriveOpensItsCurrentFolder() {
    QVERIFY(QDir::setCurrent(H7_BIN_DIR));
    const QString here = QDir::currentPath();
    const QString elsewhere = QStorageInfo(QDir::tempPath()).rootPath();
    browse(main->Command1);
    QComboBox* drives = picker->Drive1;
    const int start = drives->currentIndex();
    const int other = drives->findData(elsewhere);
    if (other < 0 || other == start) QSKIP("the temporary folder is on the drive of the build folder");

    auto choose = [&](int index) {
      drives->showPopup();
      QAbstractItemView* list = drives->view();
      QTRY_VERIFY(list->isVisible());
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(index, 0)).center());
      QTRY_VERIFY(!list->isVisible());
    };
    choose(other);  // the process's current folder is not there: the drive's root
    QCOMPARE(picker->path(), elsewhere);
    QCOMPARE(main->Text1->text(), elsewhere);
    choose(start);  // the drive of the process's current folder: that folder
    QCOMPARE(picker->path(), here);
    QCOMPARE(main->Text1->text(), here);
    QVERIFY(messages.isEmpty());
  }
};

QTEST_MAIN(Form2Test)
#include "gui_form2.moc"
