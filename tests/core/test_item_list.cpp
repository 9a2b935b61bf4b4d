// The item list's filter search: a half-width key is widened, blanks at its ends trimmed;
// the entries keep their own item numbers.
#include <gtest/gtest.h>

#include "core/groups.h"
#include "core/item_list.h"
#include "support/testutil.h"

namespace {

TEST(ItemList, FilterSearch) {
  std::vector<std::string> names;
  for (const char* name : {"総数", "人口１２歳", "人口12歳", "ＡＢ世帯", "男（再掲）", "", "ａｂ", "男　女", "男 女", "ｶﾅ",
                           "カナ", "かな", "女（再掲）"})
    names.push_back(h7test::sjis(name));
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
    QStringList listed;
    for (const h7::ItemListEntry& e : h7::filterItemList(names, 0, QString::fromUtf8(key)))
      listed << QString::number(e.number) + u'|' + e.name;
    EXPECT_EQ(listed.join(u' '), QString::fromUtf8(rows)) << key;
  }
  EXPECT_EQ(h7::filterItemList(names, 1361, u"総").front().number, 1362);
}

// The program's folder, the census data folder, then the XDG data folders of the program.
TEST(ItemNameFolders, ProgramDataThenDataFoldersOfTheProgram) {
  qputenv("XDG_DATA_HOME", "/home/user/.local/share");
  qputenv("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
  EXPECT_EQ(h7::itemNameFolders("/opt/h7", "/home/user/h7data/").join(u'|'),  // no empty or repeated ones
            "/opt/h7|/home/user/h7data|/home/user/.local/share/h7select|/usr/local/share/h7select|/usr/share/h7select");
  EXPECT_EQ(h7::itemNameFolders("/usr/share/h7select", "").size(), 3);
}

}  // namespace
