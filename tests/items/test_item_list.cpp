#include <gtest/gtest.h>

#include <QStringList>

#include "extract/fileio.h"
#include "extract/groups.h"
#include "items/item_list.h"
#include "items/name_files.h"
#include "support/testutil.h"

namespace {

using namespace h7;
using h7test::ScratchDir;
using h7test::writeNames;

// "number:name" per entry, or "failure: description".
QStringList shown(const ItemList& list) {
  if (list.failure) return {QStringLiteral("failure: ") + *list.failure};
  QStringList rows;
  for (const ItemListEntry& e : list.entries) rows << QString::number(e.number) + u':' + e.name;
  return rows;
}

QStringList numbered(int count) { return h7test::numberedNames(QStringLiteral("項目"), count); }

TEST(ItemList, FiltersByTheWidenedKeyAndKeepsItemNumbers) {
  ScratchDir dir;
  writeNames(dir, 1,
             {"総数", "人口１２歳", "人口12歳", "ＡＢ世帯", "男　女", "", "ｶﾅ", "カナ", "男 女", "ａｂ", "かな"});
  const struct {
    const char* key;
    QStringList rows;
  } cases[] = {
      {"", {"1:総数", "2:人口１２歳", "3:人口12歳", "4:ＡＢ世帯", "5:男　女", "6:", "7:ｶﾅ", "8:カナ", "9:男 女",
            "10:ａｂ", "11:かな"}},
      {"   ", {"1:総数", "2:人口１２歳", "3:人口12歳", "4:ＡＢ世帯", "5:男　女", "6:", "7:ｶﾅ", "8:カナ", "9:男 女",
               "10:ａｂ", "11:かな"}},
      {"12", {"2:人口１２歳"}},              // half-width key finds full-width digits only
      {"１２", {"2:人口１２歳"}},
      {"ａ", {"10:ａｂ"}},                    // case differs
      {"A", {"4:ＡＢ世帯"}},
      {" 男 女 ", {"5:男　女"}},             // ends trimmed, inner blank widened
      {"ｶﾅ", {"8:カナ"}},                     // names are not widened; hiragana differs
      {"人口", {"2:人口１２歳", "3:人口12歳"}},
      {"女性", {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(shown(buildItemList(dir.path(), 1, QString::fromUtf8(c.key))), c.rows) << c.key;
}

TEST(ItemList, NumbersFollowTheGroupOffset) {
  ScratchDir dir;
  writeNames(dir, 1, {"一", "二"});
  writeNames(dir, 2, {"一", "二"});
  writeNames(dir, 3, {"一", "二"});
  EXPECT_EQ(shown(buildItemList(dir.path(), 1, u"")), (QStringList{"1:一", "2:二"}));
  EXPECT_EQ(shown(buildItemList(dir.path(), 2, u"")), (QStringList{"1362:一", "1363:二"}));
  EXPECT_EQ(shown(buildItemList(dir.path(), 3, u"")), (QStringList{"2376:一", "2377:二"}));
  EXPECT_EQ(shown(buildItemList(dir.path(), 2, u"二")), (QStringList{"1363:二"}));
}

TEST(ItemList, FilteredRowsKeepTheirOwnNumbers) {
  ScratchDir dir;
  QStringList names = numbered(10);
  names[4] += QStringLiteral("（再掲）");
  names[8] += QStringLiteral("（再掲）");
  writeNames(dir, 1, names);
  EXPECT_EQ(shown(buildItemList(dir.path(), 1, u"再掲")), (QStringList{"5:項目5（再掲）", "9:項目9（再掲）"}));
}

TEST(ItemList, EmptyFileAndEmptyLastLine) {
  ScratchDir dir;
  dir.write("NAMEH7S1.CCC", "");
  const ItemList empty = buildItemList(dir.path(), 1, u"");
  EXPECT_FALSE(empty.failure);
  EXPECT_TRUE(empty.entries.empty());
  dir.write("NAMEH7S1.CCC", h7test::sjis("一\r\n\r\n三"));  // no line end after the last line
  EXPECT_EQ(shown(buildItemList(dir.path(), 1, u"")), (QStringList{"1:一", "2:", "3:三"}));
}

TEST(ItemList, Failures) {
  ScratchDir dir;
  // The failure names the file, so that the user sees the folder looked in.
  EXPECT_EQ(shown(buildItemList(dir.path(), 1, u"")),
            QStringList{"failure: " + withPath(fileNotFound(), dir.file("NAMEH7S1.CCC"))});
  writeNames(dir, 1, {"一"});
  EXPECT_EQ(shown(buildItemList(dir.path(), 0, u"")), QStringList{"failure: " + noGroupSelected()});
  EXPECT_EQ(itemListMessage(fileNotFound()), QStringLiteral("ERROR ファイルが見つかりません。"));
}

// The name table holds 1400 lines; every one of them can be listed.
TEST(ItemList, UpTo1400Lines) {
  ScratchDir dir;
  for (int lines : {1399, 1400}) {
    writeNames(dir, 1, numbered(lines));
    const ItemList all = buildItemList(dir.path(), 1, u"");
    ASSERT_FALSE(all.failure) << lines;
    ASSERT_EQ(all.entries.size(), std::size_t(lines));
    EXPECT_EQ(all.entries.back().number, lines);
    EXPECT_EQ(all.entries.back().name, QStringLiteral("項目") + QString::number(lines));
    EXPECT_EQ(buildItemList(dir.path(), 1, u"項目").entries.size(), std::size_t(lines));
  }
  writeNames(dir, 1, numbered(1401));
  const QString tooMany = "failure: " + withPath(outOfRange(), dir.file("NAMEH7S1.CCC"));
  EXPECT_EQ(shown(buildItemList(dir.path(), 1, u"")), QStringList{tooMany});
  EXPECT_EQ(shown(buildItemList(dir.path(), 1, u"項目1401")), QStringList{tooMany});
}

}  // namespace
