#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "extract/fileio.h"
#include "picker/folders.h"
#include "support/testutil.h"

namespace {

using namespace h7;

std::string str(const QString& s) { return s.toStdString(); }
std::string str(const QStringList& list) { return list.join(u'|').toStdString(); }

TEST(PickerPaths, JoinsWithExactlyOneSeparator) {
  const struct {
    const char *folder, *name, *joined, *folderField;
  } cases[] = {
      {"/", "OUT.CSV", "/OUT.CSV", "/"},
      {"/data", "OUT.CSV", "/data/OUT.CSV", "/data/"},
      {"/data/sub", "a b.csv", "/data/sub/a b.csv", "/data/sub/"},
      {"C:/", "OUT.CSV", "C:/OUT.CSV", "C:/"},
      {"D:/DATA", "OUT.CSV", "D:/DATA/OUT.CSV", "D:/DATA/"},
      {"//server/share", "x.csv", "//server/share/x.csv", "//server/share/"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(str(joinFolderAndName(c.folder, c.name)), c.joined) << c.folder;
    EXPECT_EQ(str(withTrailingSeparator(c.folder)), c.folderField) << c.folder;
  }
}

TEST(PickerPaths, AncestorsRootFirst) {
  const struct {
    const char *folder, *chain;
  } cases[] = {
      {"/", "/"},
      {"/tmp", "/|/tmp"},
      {"/tmp/a b/c", "/|/tmp|/tmp/a b|/tmp/a b/c"},
      {"C:/", "C:/"},
      {"D:/DATA/H7", "D:/|D:/DATA|D:/DATA/H7"},
      {"//server/share/x", "//server/share|//server/share/x"},
  };
  for (const auto& c : cases) EXPECT_EQ(str(folderAncestors(c.folder)), c.chain) << c.folder;
}

TEST(PickerPaths, DriveOfAPathIsTheLongestRootHoldingIt) {
  const QStringList roots{"/", "/mnt/usb", "/mnt/usb2", "/media/cd"};
  const struct {
    const char *path, *drive;
  } cases[] = {
      {"/", "/"},         {"/home/user", "/"},        {"/mnt/usb", "/mnt/usb"}, {"/mnt/usb/a", "/mnt/usb"},
      {"/mnt/usb2/a", "/mnt/usb2"}, {"/mnt/usbx", "/"}, {"/media/cdrom", "/"},
  };
  for (const auto& c : cases) EXPECT_EQ(str(driveOf(c.path, roots)), c.drive) << c.path;

  // A chosen drive opens at the process's current folder when it lies there, else at its root.
  EXPECT_EQ(str(driveStartFolder("/", roots, "/home/user")), "/home/user");
  EXPECT_EQ(str(driveStartFolder("/mnt/usb", roots, "/home/user")), "/mnt/usb");
  EXPECT_EQ(str(driveStartFolder("/", roots, "/mnt/usb/x")), "/");
  EXPECT_EQ(str(driveStartFolder("/mnt/usb", roots, "/mnt/usb/x")), "/mnt/usb/x");
}

TEST(PickerPaths, DrivesStartWithTheRootAndAreFolders) {
  const QStringList roots = driveRoots();
  ASSERT_FALSE(roots.isEmpty());
#ifndef Q_OS_WIN
  EXPECT_EQ(str(roots.first()), "/");
  EXPECT_EQ(roots.count("/"), 1);
#endif
  for (const QString& root : roots) EXPECT_TRUE(QFileInfo(root).isDir()) << str(root);
}

TEST(PickerPaths, ListsFoldersAndFilesByNameWithoutHiddenOnes) {
  h7test::ScratchDir dir;
  QDir d(dir.path());
  for (const char* folder : {"beta", "Alpha", "gamma", ".git"}) ASSERT_TRUE(d.mkdir(folder));
  for (const char* file : {"b.csv", "A.DAT", "c", ".profile", "データ.csv"}) dir.write(file, "x");
  ASSERT_TRUE(QFile::link(dir.file("gamma"), dir.file("link-to-folder")));
  ASSERT_TRUE(QFile::link(dir.file("nowhere"), dir.file("dangling")));

  const FolderListing listing = listFolder(dir.path());
  EXPECT_TRUE(listing.ok()) << str(listing.error);
  EXPECT_EQ(str(listing.folders), "Alpha|beta|gamma|link-to-folder");
  EXPECT_EQ(str(listing.files), "A.DAT|b.csv|c|dangling|データ.csv");

  const FolderListing empty = listFolder(dir.file("Alpha"));
  EXPECT_TRUE(empty.ok());
  EXPECT_TRUE(empty.folders.isEmpty() && empty.files.isEmpty());
}

TEST(PickerPaths, AFolderThatCannotBeReadIsDescribed) {
  h7test::ScratchDir dir;
  dir.write("file", "x");
  for (const char* path : {"missing", "file", "missing/deeper"}) {
    const FolderListing listing = listFolder(dir.file(path));
    EXPECT_EQ(str(listing.error), str(pathNotFound())) << path;
    EXPECT_TRUE(listing.folders.isEmpty() && listing.files.isEmpty());
  }
}

}  // namespace
