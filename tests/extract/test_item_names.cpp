// The item list read from a group's item-name file: groups, a lower-case copy, LF line
// ends, up to 1400 names, and failures that name the file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "extract/item_names.h"
#include "support/testutil.h"

namespace {

using namespace h7;

// The entries, or the failure's text: a failed list is reported, never dereferenced.
QString listed(const Result<std::vector<ItemListEntry>>& list) {
  if (!list) return QStringLiteral("failure: ") + list.failure().description;
  QStringList rows;
  for (const ItemListEntry& e : *list) rows << QString::number(e.number) + u'|' + e.name;
  return rows.join(u' ');
}

TEST(ItemNames, GroupsFilesAndFailures) {
  h7test::ScratchDir dir;
  dir.write("NAMEH7S2.CCC", h7test::sjis("三\n四\n"));  // LF line ends (a converted copy)
  dir.write("nameh7s3.ccc", h7test::sjis("五"));  // a lower-case copy is found
  EXPECT_EQ(listed(loadItemList({dir.path()}, 2, u"")), QStringLiteral("1362|三 1363|四"));
  EXPECT_EQ(listed(loadItemList({dir.path()}, 3, u"")), QStringLiteral("2376|五"));
  EXPECT_EQ(loadItemList({dir.path()}, 0, u"").failure(), msg::noGroupSelected());

  const QString file = dir.file("NAMEH7S1.CCC");
  EXPECT_EQ(loadItemList({dir.path()}, 1, u"").failure(), withPath(msg::fileNotFound(), file));
  EXPECT_EQ(itemListMessage(msg::fileNotFound()), QStringLiteral("ERROR ファイルが見つかりません。"));
  std::string names;
  for (int i = 1; i <= 1400; ++i) names += h7test::sjis("名称") + std::to_string(i) + "\r\n";
  dir.write("NAMEH7S1.CCC", names);
  EXPECT_EQ(loadItemList({dir.path()}, 1, u"名称")->back().name, QStringLiteral("名称1400"));
  dir.write("NAMEH7S1.CCC", names + "one more");
  EXPECT_EQ(loadItemList({dir.path()}, 1, u"").failure(), withPath(msg::tooManyNames(1400), file));
  std::string lf = names;  // a CR LF first line, then LF ones: CR mode, LF lines glued into one
  for (std::size_t at = lf.find("\r\n", 10); at != std::string::npos; at = lf.find("\r\n", at)) lf.erase(at, 1);
  dir.write("NAMEH7S1.CCC", lf);
  EXPECT_EQ(loadItemList({dir.path()}, 1, u"").failure(), withPath(msg::mixedLineEnds(), file));
}

// The first folder that holds the file wins; when none does, the message names every place.
TEST(ItemNames, LookedForInOrder) {
  h7test::ScratchDir dir;
  const QStringList folders{dir.file("program"), dir.file("data"), dir.file("user")};
  const TabulationGroup& g = *tabulationGroup(1);
  const QString places = itemNamePath(folders[0], g) + ", " + itemNamePath(folders[1], g) + ", " + itemNamePath(folders[2], g);
  EXPECT_EQ(findItemNameFile(folders, g).failure(), withPath(msg::fileNotFound(), places));
  for (const char* at : {"user/NAMEH7S1.CCC", "data/nameh7s1.ccc", "program/NAMEH7S1.CCC"}) {
    QDir().mkpath(QFileInfo(dir.file(at)).path());
    dir.write(at, "x");
    EXPECT_EQ(findItemNameFile(folders, g)->path, dir.file(at));
  }
}

}  // namespace
