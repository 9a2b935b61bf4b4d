// h7sample's item names: each group's names are the cross products of a few tables, taken in
// order until the group has its number of items.
#include "sample_names.h"

#include <QFileInfo>
#include <QSet>
#include <vector>

#include "core/sjis.h"

namespace {

const QString kSep = QStringLiteral("　");

QStringList fiveYearAges(int from, bool withUnknown) {
  QStringList list;
  for (int a = from; a < 85; a += 5) list << wide(a) + u'～' + wide(a + 4) + u'歳';
  list << wide(85) + QStringLiteral("歳以上");
  if (withUnknown) list << QStringLiteral("年齢「不詳」");
  return list;
}

QStringList singleAges() {
  QStringList list;
  for (int a = 0; a < 100; ++a) list << wide(a) + u'歳';
  list << wide(100) + QStringLiteral("歳以上");
  return list;
}

QStringList prefectureNames() {
  return axis({"北海道", "青森県", "岩手県", "宮城県", "秋田県", "山形県", "福島県", "茨城県",
               "栃木県", "群馬県", "埼玉県", "千葉県", "東京都", "神奈川県", "新潟県", "富山県",
               "石川県", "福井県", "山梨県", "長野県", "岐阜県", "静岡県", "愛知県", "三重県",
               "滋賀県", "京都府", "大阪府", "兵庫県", "奈良県", "和歌山県", "鳥取県", "島根県",
               "岡山県", "広島県", "山口県", "徳島県", "香川県", "愛媛県", "高知県", "福岡県",
               "佐賀県", "長崎県", "熊本県", "大分県", "宮崎県", "鹿児島県", "沖縄県"});
}

QStringList industries() {
  return axis({"（Ａ）農業", "（Ｂ）林業", "（Ｃ）漁業", "（Ｄ）鉱業", "（Ｅ）建設業", "（Ｆ）製造業",
               "（Ｇ）電気・ガス・熱供給・水道業", "（Ｈ）運輸・通信業", "（Ｉ）卸売・小売業,飲食店",
               "（Ｊ）金融・保険業", "（Ｋ）不動産業", "（Ｌ）サービス業",
               "（Ｍ）公務（他に分類されないもの）", "（Ｎ）分類不能の産業"});
}

QStringList occupations() {
  return axis({"（Ａ）専門的・技術的職業従事者", "（Ｂ）管理的職業従事者", "（Ｃ）事務従事者",
               "（Ｄ）販売従事者", "（Ｅ）サービス職業従事者", "（Ｆ）保安職業従事者",
               "（Ｇ）農林漁業作業者", "（Ｈ）運輸・通信従事者",
               "（Ｉ）技能工,採掘・製造・建設作業者及び労務作業者", "（Ｊ）分類不能の職業"});
}

const QStringList kSexes = axis({"総数", "男", "女"});
const QStringList kSexesShare = axis({"総数", "男", "女", "割合（％）"});

using Section = std::vector<QStringList>;  // the axes whose cross product gives the names

std::vector<Section> sectionsOf(int group) {
  const QStringList ages = fiveYearAges(0, true);
  const QStringList adultAges = fiveYearAges(15, false);
  QStringList adultAgesTotal = adultAges;
  adultAgesTotal.prepend(QStringLiteral("総数"));
  if (group == 1) {
    QStringList households;
    for (int n = 1; n < 10; ++n) households << QString::number(n) + QStringLiteral("人世帯");
    households << QStringLiteral("10人以上世帯");
    return {
        {axis({"人口総数", "人口総数　男", "人口総数　女", "世帯総数", "一般世帯数", "一般世帯人員",
               "施設等の世帯数", "施設等の世帯人員", "人口集中地区（ＤＩＤ）人口",
               "人口集中地区（ＤＩＤ）世帯数", "面積（ｋｍ２）", "人口密度（1km2当たり）",
               "平均年齢　総数", "平均年齢　男", "平均年齢　女", "年齢中位数",
               "１世帯当たり人員", "人口性比（女100人当たり男）"})},
        {axis({"年齢（５歳階級）別人口"}), ages, kSexesShare},
        {axis({"年齢（３区分）別人口"}), axis({"１５歳未満", "１５～６４歳", "６５歳以上"}), kSexesShare},
        {axis({"配偶関係別１５歳以上人口"}),
         axis({"総数", "未婚", "有配偶", "死別", "離別", "配偶関係「不詳」"}), adultAgesTotal,
         axis({"男", "女"})},
        {axis({"世帯人員別一般世帯数"}), households, axis({"世帯数", "世帯人員"})},
        {axis({"世帯の家族類型別一般世帯数"}),
         axis({"親族世帯", "核家族世帯", "夫婦のみの世帯", "夫婦と子供から成る世帯",
               "男親と子供から成る世帯", "女親と子供から成る世帯", "夫婦と両親から成る世帯",
               "夫婦とひとり親から成る世帯", "夫婦,子供と両親から成る世帯",
               "夫婦,子供とひとり親から成る世帯", "夫婦と他の親族から成る世帯",
               "夫婦,子供と他の親族から成る世帯", "夫婦,親と他の親族から成る世帯",
               "兄弟姉妹のみから成る世帯", "非親族世帯", "単独世帯"}),
         axis({"世帯数", "世帯人員", "６歳未満親族のいる世帯数", "６５歳以上親族のいる世帯数"})},
        {axis({"\"その他\"の世帯数", "高齢単身世帯数", "高齢夫婦世帯数", "母子世帯数", "父子世帯数"})},
        {axis({"住宅の所有の関係別一般世帯数"}),
         axis({"住宅に住む一般世帯", "主世帯", "持ち家", "公営・公団・公社の借家", "民営の借家",
               "給与住宅", "間借り", "住宅以外に住む一般世帯"}),
         axis({"世帯数", "世帯人員", "１世帯当たり人員", "延べ面積（ｍ２）",
               "１世帯当たり延べ面積（ｍ２）", "１人当たり延べ面積（ｍ２）"})},
        {axis({"住宅の建て方別住宅に住む一般世帯数"}),
         axis({"一戸建", "長屋建", "共同住宅　1・2階建", "共同住宅　3～5階建", "共同住宅　6～10階建",
               "共同住宅　11階建以上", "その他"}),
         axis({"世帯数", "世帯人員"})},
        {axis({"国籍別外国人数"}),
         axis({"総数", "韓国・朝鮮", "中国", "アメリカ", "イギリス", "フィリピン", "タイ",
               "インドネシア", "ベトナム", "ブラジル", "ペルー", "その他"}),
         kSexes},
        {axis({"年齢（各歳）別人口"}), singleAges(), kSexes},
        {axis({"世帯主の年齢（５歳階級）別一般世帯数"}), adultAges,
         axis({"世帯数", "世帯人員", "核家族世帯数", "単独世帯数"})},
        {axis({"住宅の所有の関係別一般世帯人員"}),
         axis({"持ち家", "公営・公団・公社の借家", "民営の借家", "給与住宅", "間借り",
               "住宅以外に住む一般世帯"}),
         ages, kSexes},
        {axis({"施設等の世帯の種類別世帯人員"}),
         axis({"寮・寄宿舎の学生・生徒", "病院・療養所の入院者", "社会施設の入所者",
               "自衛隊営舎内居住者", "矯正施設の入所者", "その他"}),
         kSexes},
        {axis({"年齢（５歳階級）別外国人数"}), ages, kSexes},
        {axis({"世帯人員別一般世帯の年齢別人口"}),
         axis({"1人世帯", "2人世帯", "3人世帯", "4人世帯", "5人世帯", "6人以上世帯"}), ages},
    };
  }
  if (group == 2) {
    return {
        {axis({"１５歳以上人口", "労働力人口", "就業者数", "完全失業者数", "非労働力人口",
               "労働力率（％）", "完全失業率（％）", "就業率（％）"}),
         kSexes},
        {axis({"労働力状態別１５歳以上人口"}),
         axis({"労働力人口", "就業者", "主に仕事", "家事のほか仕事", "通学のかたわら仕事", "休業者",
               "完全失業者", "非労働力人口", "家事", "通学", "その他", "労働力状態「不詳」"}),
         adultAgesTotal, kSexes},
        {axis({"産業（大分類）別１５歳以上就業者数"}), industries(), kSexesShare},
        {axis({"従業上の地位別就業者数"}),
         axis({"雇用者", "役員", "雇人のある業主", "雇人のない業主", "家族従業者", "家庭内職者",
               "従業上の地位「不詳」"}),
         industries(), axis({"男", "女"})},
        {axis({"職業（大分類）別１５歳以上就業者数"}), occupations(), kSexes},
        {axis({"産業（３部門）別就業者数"}), axis({"第1次産業", "第2次産業", "第3次産業"}), kSexesShare},
        {axis({"産業（大分類）・年齢（５歳階級）別就業者数"}), industries(), adultAges},
    };
  }
  const QStringList places = axis({"総数", "自宅", "自宅外", "自市区町村で従業・通学",
                                   "県内他市区町村で従業・通学", "他県で従業・通学",
                                   "従業地・通学地「不詳」"});
  return {
      {axis({"常住地による就業者・通学者数", "従業地・通学地による就業者・通学者数", "昼間人口",
             "夜間人口", "昼夜間人口比率（％）", "流入人口", "流出人口", "15歳以上就業者数",
             "15歳以上通学者数"}),
       kSexes},
      {axis({"従業地・通学地別就業者・通学者数"}), places, axis({"総数", "就業者", "通学者"}), kSexes},
      {axis({"従業地・通学地別１５歳以上就業者数"}), places, industries()},
      {axis({"従業地・通学地別就業者数"}), adultAges,
       axis({"自宅", "自市区町村", "県内他市区町村", "他県"}), axis({"男", "女"})},
      {axis({"他県で従業・通学する者"}), prefectureNames(), axis({"就業者", "通学者"}), kSexes},
      {axis({"通学者の在学学校別通学者数"}),
       axis({"小学生", "中学生", "高校生", "短大・高専生", "大学・大学院生", "その他"}), places},
      {axis({"従業地・通学地・職業別就業者数"}), places, occupations()},
  };
}

}  // namespace

// The item names of a group, exactly as many as the group has item fields.
QStringList itemNames(const h7::TabulationGroup& g) {
  QStringList names;
  QSet<QString> seen;
  for (const Section& s : sectionsOf(g.number)) {
    std::vector<qsizetype> at(s.size(), 0);  // odometer over the axes, last axis fastest
    for (;;) {
      QString name;
      for (std::size_t i = 0; i < s.size(); ++i) name += (i ? kSep : QString()) + s[i][at[i]];
      if (!seen.contains(name)) {
        seen.insert(name);
        names << name;
        if (names.size() == g.fieldsPerRecord) return names;
      }
      std::size_t i = s.size();
      while (i > 0 && ++at[i - 1] == s[i - 1].size()) at[--i] = 0;
      if (i == 0) break;
    }
  }
  return names;  // too few: caught by checkNames
}

std::optional<h7::Failure> checkNames(const h7::TabulationGroup& g, const QStringList& names) {
  using h7::msg::sample::NameFault;
  const auto fault = [](NameFault f, const QString& name = {}) { return h7::msg::sample::badNames(f, name); };
  if (names.size() != g.fieldsPerRecord) return fault(NameFault::TooFew);
  int commas = 0, quotes = 0;
  for (const QString& n : names) {
    if (n.isEmpty() || n.size() > 60) return fault(NameFault::Length, n);
    for (QChar c : n) {
      const char16_t u = c.unicode();
      if (u < 0x20 || (u >= 0x7F && u < 0x3000) || (u >= 0xFF61 && u <= 0xFF9F)) return fault(NameFault::Character, n);
    }
    if (h7::sjis::decode(h7::sjis::encode(n).toStdString()) != n) return fault(NameFault::NotShiftJis, n);
    commas += n.contains(u',');
    quotes += n.contains(u'"');
  }
  if (commas < 3) return fault(NameFault::Commas);
  if (quotes != (g.number == 1 ? 1 : 0)) return fault(NameFault::Quotes);
  return std::nullopt;
}

QStringList axis(std::initializer_list<const char*> texts) {
  QStringList list;
  for (const char* t : texts) list << QString::fromUtf8(t);
  return list;
}

QString wide(int n) {
  QString s = QString::number(n);
  for (QChar& c : s) c = QChar(char16_t(u'０' + (c.unicode() - u'0')));
  return s;
}

SampleFile nameFile(const h7::TabulationGroup& g) {
  const auto make = [&g](BlockWriter& out) -> std::optional<h7::Failure> {
    const QStringList names = itemNames(g);
    if (auto fault = checkNames(g, names)) return fault;
    for (const QString& n : names) {
      const QByteArray bytes = h7::sjis::encode(n);
      out.append(bytes.constData(), std::size_t(bytes.size()));
      out.append("\r\n", 2);
    }
    return std::nullopt;
  };
  const auto line = [&g](const QString& shown, qint64) { return h7::msg::sample::madeNames(shown, g.fieldsPerRecord); };
  return {QFileInfo(h7::itemNamePath(QStringLiteral("."), g)).fileName(), make, line};
}
