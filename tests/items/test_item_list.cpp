// The item list: the names of a group read afresh from its item-name file, narrowed by
// the filter search (a half-width key is widened, blanks at its ends trimmed).
#include <gtest/gtest.h>

#include "extract/fileio.h"
#include "extract/groups.h"
#include "items/item_list.h"
#include "support/testutil.h"

namespace {

using namespace h7;

QString listed(const ItemList& list) {
  QStringList rows;
  for (const ItemListEntry& e : list.entries) rows << QString::number(e.number) + u'|' + e.name;
  return rows.join(u' ');
}

void writeNames(const h7test::ScratchDir& dir, const QString& file, const QStringList& names) {
  dir.write(file, h7test::sjis((names.join("\r\n") + "\r\n").toUtf8().constData()));
}

TEST(ItemList, FilterSearch) {
  h7test::ScratchDir dir;
  writeNames(dir, "NAMEH7S1.CCC", {"総数", "人口１２歳", "人口12歳", "ＡＢ世帯", "男（再掲）", "", "ａｂ", "男　女", "男 女",
                                   "ｶﾅ", "カナ", "かな", "女（再掲）"});
  const std::pair<const char*, const char*> cases[] = {  // key, rows
      {"   ", "1|総数 2|人口１２歳 3|人口12歳 4|ＡＢ世帯 5|男（再掲） 6| 7|ａｂ 8|男　女 9|男 女 10|ｶﾅ 11|カナ 12|かな 13|女（再掲）"},
      {"12", "2|人口１２歳"},         // half-width digits find full-width ones only
      {"A", "4|ＡＢ世帯"},            // letters widened, case kept
      {" 男 女 ", "8|男　女"},        // ends trimmed, inner blank widened
      {"ｶﾅ", "11|カナ"},              // kana widened, hiragana differs
      {"再掲", "5|男（再掲） 13|女（再掲）"},
      {"子", ""},
  };
  for (const auto& [key, rows] : cases) {
    const ItemList list = buildItemList(dir.path(), 1, QString::fromUtf8(key));
    EXPECT_FALSE(list.failure) << key;
    EXPECT_EQ(listed(list), QString::fromUtf8(rows)) << key;
  }
}

TEST(ItemList, GroupsFilesAndFailures) {
  h7test::ScratchDir dir;
  writeNames(dir, "NAMEH7S2.CCC", {"三", "四"});
  writeNames(dir, "nameh7s3.ccc", {"五"});  // a lower-case copy is found
  EXPECT_EQ(listed(buildItemList(dir.path(), 2, u"")), QStringLiteral("1362|三 1363|四"));
  EXPECT_EQ(listed(buildItemList(dir.path(), 3, u"")), QStringLiteral("2376|五"));
  EXPECT_EQ(buildItemList(dir.path(), 0, u"").failure, noGroupSelected());

  const QString file = dir.file("NAMEH7S1.CCC");
  EXPECT_EQ(buildItemList(dir.path(), 1, u"").failure, withPath(fileNotFound(), file));
  EXPECT_EQ(itemListMessage(fileNotFound()), QStringLiteral("ERROR ファイルが見つかりません。"));
  QStringList names;
  for (int i = 1; i <= 1400; ++i) names << QStringLiteral("名称%1").arg(i);
  writeNames(dir, "NAMEH7S1.CCC", names);
  const ItemList full = buildItemList(dir.path(), 1, u"名称");
  ASSERT_EQ(full.entries.size(), 1400u);
  EXPECT_EQ(full.entries.back().name, QStringLiteral("名称1400"));
  writeNames(dir, "NAMEH7S1.CCC", names << "one more");
  EXPECT_EQ(buildItemList(dir.path(), 1, u"").failure, withPath(outOfRange(), file));
}

}  // namespace
