// The picker's path rules: drive letters and network shares, drives, unusual folder entries.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "core/picker_paths.h"
#include "support/testutil.h"

namespace {

using namespace h7;

std::string str(const QString& s) { return s.toStdString(); }
std::string str(const QStringList& list) { return list.join(u'|').toStdString(); }

TEST(PickerPaths, OtherRootsJoinWithOneSeparator) {
  const std::tuple<const char*, const char*, const char*> cases[] = {  // folder, with OUT.CSV, ancestors
      {"/", "/OUT.CSV", "/"}, {"C:/", "C:/OUT.CSV", "C:/"}, {"D:/DATA/H7", "D:/DATA/H7/OUT.CSV", "D:/|D:/DATA|D:/DATA/H7"},
      {"//server/share", "//server/share/OUT.CSV", "//server/share"},
      {"//server/share/x", "//server/share/x/OUT.CSV", "//server/share|//server/share/x"}};
  for (const auto& [folder, joined, ancestors] : cases) {
    EXPECT_EQ(str(joinFolderAndName(folder, "OUT.CSV")), joined) << folder;
    EXPECT_EQ(str(folderAncestors(folder)), ancestors) << folder;
  }
}

TEST(PickerPaths, DriveOfAPathIsTheLongestRootHoldingIt) {
  const QStringList roots{"/", "/mnt/usb", "/mnt/usb2", "/media/cd"};
  const std::pair<const char*, const char*> cases[] = {
      {"/", "/"},         {"/home/user", "/"},        {"/mnt/usb", "/mnt/usb"}, {"/mnt/usb/a", "/mnt/usb"},
      {"/mnt/usb2/a", "/mnt/usb2"}, {"/mnt/usbx", "/"}, {"/media/cdrom", "/"}};
  for (const auto& [path, drive] : cases) EXPECT_EQ(str(driveOf(path, roots)), drive) << path;
  EXPECT_EQ(driveRoots().first(), QDir::rootPath());  // the drive the picker falls back to

  // A chosen drive opens at the process's current folder when it lies there, else at its root.
  EXPECT_EQ(str(QStringList{driveStartFolder("/", roots, "/home/user"), driveStartFolder("/mnt/usb", roots, "/home/user"),
                            driveStartFolder("/", roots, "/mnt/usb/x"), driveStartFolder("/mnt/usb", roots, "/mnt/usb/x")}),
            "/home/user|/mnt/usb|/|/mnt/usb/x");
}

TEST(PickerPaths, ListsFoldersAndFilesByNameWithoutHiddenOnes) {
  h7test::ScratchDir dir;
  for (const char* folder : {"beta", "Alpha", "Gamma", ".git"}) ASSERT_TRUE(QDir(dir.path()).mkdir(folder));
  for (const char* file : {"b.csv", "A.DAT", "C", ".profile", "データ.csv"}) dir.write(file, "x");
  ASSERT_TRUE(QFile::link(dir.file("Gamma"), dir.file("link-to-folder")));
  ASSERT_TRUE(QFile::link(dir.file("nowhere"), dir.file("dangling")));

  const Result<FolderListing> listing = listFolder(dir.path());
  ASSERT_TRUE(listing);
  EXPECT_EQ(str(listing->folders), "Alpha|beta|Gamma|link-to-folder");  // case ignored
  EXPECT_EQ(str(listing->files), "A.DAT|b.csv|C|dangling|データ.csv");
  EXPECT_EQ(listFolder(dir.file("none")).failure(), msg::pathNotFound());
}

}  // namespace
