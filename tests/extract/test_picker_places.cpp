// The picker's places for a data location: an archive's folders from its member paths, and
// a folder's archives told from its other files by their start alone.
#include <gtest/gtest.h>

#include <QDir>
#include <random>
#include <sys/stat.h>

#include "extract/picker_places.h"
#include "support/archive_pack.h"
#include "support/testutil.h"

namespace {

using namespace h7;

// "folders / files / archives", or the failure's text.
std::string listed(const Result<FolderListing>& l) {
  if (!l) return "failure: " + l.failure().description.toStdString();
  return QStringList{l->folders.join(u'|'), l->files.join(u'|'), l->archives.join(u'|')}.join(" / ").toStdString();
}

TEST(PickerPlaces, AnArchiveFolderHoldsTheNextPartsOfItsMembers) {
  const std::vector<ArchiveEntry> members = {{"./H7S13S1.DAT"}, {"国勢調査/", 1, true}, {"国勢調査/H7S14S1.DAT"}, {"b/c/d.txt"},
      {h7test::sjis("国勢調査/秘匿/表.txt")}, {"b/c/e.txt"}, {"empty/", 6, true}, {"B.txt"}, {"a.txt"}, {"./a.txt"}};
  const std::pair<const char*, const char*> cases[] = {
      {"", "b|empty|国勢調査 / a.txt|B.txt|H7S13S1.DAT / "},  // the kinds apart, case ignored, each once
      {"国勢調査", "秘匿 / H7S14S1.DAT / "}, {"国勢調査/秘匿", " / 表.txt / "},  // a CP932 path read
      {"b", "c /  / "}, {"empty", " /  / "}, {"none", "failure: パスが見つかりません。"},
      {"a.txt", "failure: パスが見つかりません。"}};  // a member is no folder
  for (const auto& [inside, expected] : cases) EXPECT_EQ(listed(archiveFolderListing(members, inside)), expected) << inside;
}

TEST(PickerPlaces, ArchivesAreFoldersForTheDataLocationAlone) {
  h7test::ScratchDir dir;
  std::string noise(200000, '\0');  // past the look at a file's start, compressed or not
  for (std::mt19937 random(7); char& c : noise) c = char(random());
  for (const auto& [name, format, filter] : {std::tuple{"a.zip", "zip", "none"}, {"b.tar.gz", "paxr", "gzip"},
                                             {"c.7z", "7zip", "none"}, {"d.tar.xz", "paxr", "xz"}, {"e.tar", "paxr", "none"}})
    h7test::pack(dir.file(name), format, filter, {{"data/H7S13S1.DAT", noise}});
  h7test::pack(dir.file("f.csv.gz"), "raw", "gzip", {{"data", "1,2\n"}});
  for (const auto& [name, bytes] : {std::pair{"notes.txt", std::string("PK")}, {"zeros", std::string(4096, '\0')}, {"empty", {}}})
    dir.write(name, bytes);  // zeros: a tar's end alone
  ASSERT_TRUE(QDir(dir.path()).mkdir("sub") && ::mkfifo(QFile::encodeName(dir.file("pipe")).constData(), 0600) == 0);

  EXPECT_EQ(listed(listPlace(dir.path(), true)), "sub / empty|f.csv.gz|notes.txt|pipe|zeros / a.zip|b.tar.gz|c.7z|d.tar.xz|e.tar");
  EXPECT_EQ(listed(listPlace(dir.path(), false)) + " | " + listed(listPlace(dir.file("a.zip/data"), false)),
            "sub / a.zip|b.tar.gz|c.7z|d.tar.xz|e.tar|empty|f.csv.gz|notes.txt|pipe|zeros /  | failure: パスが見つかりません。");
  EXPECT_EQ(listed(listPlace(dir.file("a.zip/data"), true)), " / H7S13S1.DAT / ");
}

}  // namespace
