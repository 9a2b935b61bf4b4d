// h7sample: writes synthetic item-name files and census data files (Shift-JIS, CR LF)
// for the demo, the tests and the benchmarks. Output depends only on the arguments and
// the seed, so the same command gives the same bytes on every machine.
#include "core/command_line.h"
#include "core/groups.h"
#include "core/half_width.h"
#include "core/sjis.h"
#include "extract/files.h"
#include "extract/kernels/choice.h"
#include "extract/map_module.h"
#include "sample_boundaries.h"

#include <QByteArray>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------
// Random numbers: splitmix64, so that the stream is the same everywhere.

struct SplitMix64 {
  std::uint64_t state;
  std::uint64_t next() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  std::uint64_t below(std::uint64_t n) { return next() % n; }  // the tiny bias does not matter here
};

// ---------------------------------------------------------------------------------------
// Item names: each group's names are the cross products of a few tables, taken in order
// until the group has its number of items.

const QString kSep = QStringLiteral("　");

QStringList axis(std::initializer_list<const char*> texts) {
  QStringList list;
  for (const char* t : texts) list << QString::fromUtf8(t);
  return list;
}

// n in full-width digits: 12 -> "１２".
QString wide(int n) {
  QString s = QString::number(n);
  for (QChar& c : s) c = QChar(char16_t(u'０' + (c.unicode() - u'0')));
  return s;
}

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

// What the tests rely on: exact count, short names without line ends or half-width kana,
// a few commas, exactly one quotation mark in group 1 and none elsewhere, clean Shift-JIS.
bool checkNames(const h7::TabulationGroup& g, const QStringList& names, QString* why) {
  if (names.size() != g.fieldsPerRecord) return *why = QStringLiteral("too few names"), false;
  int commas = 0, quotes = 0;
  for (const QString& n : names) {
    if (n.isEmpty() || n.size() > 60) return *why = QStringLiteral("bad length: ") + n, false;
    for (QChar c : n) {
      const char16_t u = c.unicode();
      if (u < 0x20 || (u >= 0x7F && u < 0x3000) || (u >= 0xFF61 && u <= 0xFF9F))
        return *why = QStringLiteral("bad character in: ") + n, false;
    }
    if (h7::sjis::decode(h7::sjis::encode(n).toStdString()) != n)
      return *why = QStringLiteral("not Shift-JIS: ") + n, false;
    commas += n.contains(u',');
    quotes += n.contains(u'"');
  }
  if (commas < 3) return *why = QStringLiteral("too few names with a comma"), false;
  if (quotes != (g.number == 1 ? 1 : 0)) return *why = QStringLiteral("wrong number of quoted names"), false;
  return true;
}

// ---------------------------------------------------------------------------------------
// Output: lines are built in a large buffer and written in big blocks, through the one
// writer's temporary file that replaces the file when it is complete. Or, for a file that is
// there already, only compared with it: no file is replaced with other bytes unless the user
// says so.

// What making a file came to.
enum class Outcome { Written, Same, Differs, Missing, Failed };  // Missing: some files of several to make

class BlockWriter {
 public:
  static constexpr std::size_t kBlock = std::size_t(16) << 20;

  // An empty path: the bytes are made and thrown away.
  BlockWriter(const QString& path, bool compare) : buffer_(kBlock), compare_(compare), discard_(path.isEmpty()) {
    if (discard_) {
    } else if (compare) {
      existing_.setFileName(path);
      differs_ = !QFileInfo(path).isFile() || !existing_.open(QIODevice::ReadOnly);
    } else if (auto failure = file_.open(path)) {
      fail(*failure);
    }
  }
  bool ok() const { return error_.isEmpty() && !differs_; }  // false also once a compared byte differs
  const QString& error() const { return error_; }
  qint64 bytesWritten() const { return written_ + qint64(used_); }

  // Room for at least n bytes at the end of the buffer; commit() what was used of it.
  char* room(std::size_t n) {
    if (buffer_.size() - used_ < n) {
      flush();
      if (buffer_.size() < n) buffer_.resize(n);
    }
    return buffer_.data() + used_;
  }
  void commit(std::size_t n) { used_ += n; }
  void append(const char* p, std::size_t n) { std::memcpy(room(n), p, n), commit(n); }

  void flush() {
    if (discard_) {
    } else if (compare_ && used_ && ok()) {
      there_.resize(used_);
      differs_ = existing_.read(there_.data(), qint64(used_)) != qint64(used_) || there_ != std::vector<char>(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(used_));
    } else if (used_ && ok()) {
      if (auto failure = file_.write(buffer_.data(), used_)) fail(*failure);
    }
    written_ += qint64(used_);
    used_ = 0;
  }
  // What it came to; the file is replaced only now.
  Outcome close() {
    flush();
    char more;
    if (discard_) return Outcome::Written;
    if (compare_) return ok() && existing_.read(&more, 1) == 0 ? Outcome::Same : Outcome::Differs;
    if (ok())
      if (auto failure = file_.commit()) fail(*failure);
    return ok() ? Outcome::Written : Outcome::Failed;
  }

 private:
  void fail(const h7::Failure& failure) {
    if (error_.isEmpty()) error_ = failure.description;
  }
  h7::OutputFile file_;
  QFile existing_;
  std::vector<char> buffer_, there_;
  bool compare_, discard_, differs_ = false;
  std::size_t used_ = 0;
  qint64 written_ = 0;
  QString error_;
};

Outcome writeNameFile(const QString& dir, const h7::TabulationGroup& g, bool compare, QString* why) {
  const QStringList names = itemNames(g);
  if (!checkNames(g, names, why)) return *why = QStringLiteral("internal error: ") + *why, Outcome::Failed;
  BlockWriter out(h7::itemNamePath(dir, g), compare);
  for (const QString& n : names) {
    const QByteArray bytes = h7::sjis::encode(n);
    out.append(bytes.constData(), std::size_t(bytes.size()));
    out.append("\r\n", 2);
  }
  const Outcome outcome = out.close();
  if (outcome == Outcome::Failed) *why = out.error();
  if (outcome == Outcome::Written || outcome == Outcome::Same)
    std::printf("%s: %lld names\n", qPrintable(QDir::toNativeSeparators(h7::itemNamePath(dir, g))),
                static_cast<long long>(names.size()));
  return outcome;
}

// ---------------------------------------------------------------------------------------
// Census data files.

constexpr int kFieldWidth = 10;
constexpr int kCodeWidth = 50;  // positions 1-50 before the first item field
constexpr std::uint64_t kPow10[] = {1, 10, 100, 1000, 10000, 100000};

// Right-aligned integer with blanks on the left; a value 0 is written "0".
void putInt(char* p, std::uint64_t v, bool negative) {
  std::memset(p, ' ', kFieldWidth);
  char* q = p + kFieldWidth;
  do *--q = char('0' + v % 10), v /= 10;
  while (v);
  if (negative) *--q = '-';
}

// Right-aligned v / 10^decimals, written with exactly that many decimals: 125,1 -> "12.5".
void putDecimal(char* p, std::uint64_t v, int decimals, bool negative) {
  std::memset(p, ' ', kFieldWidth);
  char* q = p + kFieldWidth;
  for (int i = 0; i < decimals; ++i) *--q = char('0' + v % 10), v /= 10;
  *--q = '.';
  do *--q = char('0' + v % 10), v /= 10;
  while (v);
  if (negative) *--q = '-';
}

void putRight(char* p, std::string_view text) {
  std::memset(p, ' ', kFieldWidth);
  std::memcpy(p + kFieldWidth - text.size(), text.data(), text.size());
}

enum class Kind : std::uint8_t { Count, Ratio, Average };

struct Column {
  Kind kind;
  std::uint8_t maxDigits;  // counts: up to this many digits
};

// Ratios and averages get decimals; totals get larger counts.
std::vector<Column> columnsOf(const h7::TabulationGroup& g, SplitMix64& rng) {
  std::vector<Column> columns;
  for (const QString& n : itemNames(g)) {
    Column c{Kind::Count, std::uint8_t(1 + rng.below(4))};
    if (n.contains(QStringLiteral("割合")) || n.contains(u'率') || n.contains(QStringLiteral("性比")))
      c.kind = Kind::Ratio;
    else if (n.contains(QStringLiteral("平均")) || n.contains(QStringLiteral("当たり")) ||
             n.contains(QStringLiteral("中位数")))
      c.kind = Kind::Average;
    else if (n.contains(QStringLiteral("総数")))
      c.maxDigits = 5;
    columns.push_back(c);
  }
  return columns;
}

struct Municipality {
  int code;
  std::int64_t records;
};

// Between 5 and 40 municipalities (fewer for tiny files): a few wards (1xx), cities (2xx)
// and towns and villages (3xx-5xx), in code order, sharing the records unevenly.
std::vector<Municipality> planMunicipalities(std::int64_t records, SplitMix64& rng) {
  const int n = int(std::min<std::int64_t>(
      records, std::clamp(int(std::sqrt(double(records)) / 5), 5, 40)));
  if (n == 0) return {};
  const int wards = n / 5;
  const int cities = std::max(1, (n - wards) * 2 / 5);
  const int towns = n - wards - cities;
  std::vector<Municipality> list;
  int code = 100;
  for (int i = 0; i < wards; ++i) list.push_back({code += 1 + int(rng.below(2)), 0});
  code = 200;
  for (int i = 0; i < cities; ++i) list.push_back({code += 1 + int(rng.below(3)), 0});
  code = 300;
  const int townStep = std::max(1, 280 / std::max(1, towns));
  for (int i = 0; i < towns; ++i) list.push_back({code += 1 + int(rng.below(townStep)), 0});

  std::vector<std::int64_t> weight;
  std::int64_t total = 0;
  for (int i = 0; i < n; ++i) total += weight.emplace_back(1 + std::int64_t(rng.below(8)));
  const std::int64_t spare = records - n;
  std::int64_t given = 0;
  for (std::size_t i = 0; i < list.size(); ++i) given += (list[i].records = 1 + spare * weight[i] / total);
  for (std::size_t i = 0; given < records; i = (i + 1) % list.size(), ++given) ++list[i].records;
  return list;
}

// Area names that now and then fill positions 27-50, so that positions count characters.
QList<QByteArray> areaNames() {
  const QStringList bases = axis({"千代田区丸の内", "中央区銀座", "本町", "栄町", "緑町", "旭町",
                                  "大字上野", "大字新田", "東雲", "若葉台", "桜ケ丘", "駅前通"});
  QList<QByteArray> list;
  for (const QString& b : bases)
    for (int c = 1; c <= 9; c += 4) {
      QString name = b + wide(c) + QStringLiteral("丁目");
      list << h7::sjis::encode(name) + QByteArray(24 - name.size(), ' ');
    }
  return list;
}

struct DataJob {
  QString dir;
  int pref;
  const h7::TabulationGroup* group;
  std::int64_t records;
  std::uint64_t seed;
  int suppressed = -1;  // 0-100: the harsh mix with this share of blank, X and - fields; -1 the usual values
  SampleBoundaries* boundaries = nullptr;  // when set: the records' squares there, their bytes thrown away
  std::int64_t* squares = nullptr;          // with boundaries: counts the squares
};

Outcome writeDataFile(const DataJob& job, bool compare, QString* why) {
  const h7::TabulationGroup& g = *job.group;
  char pref[3];
  std::snprintf(pref, sizeof pref, "%02d", job.pref);
  const QString path = h7::censusDataPath(job.dir, QString::fromLatin1(pref), g);

  // One stream per file, so that every prefecture and group looks different.
  SplitMix64 mix{job.seed ^ (std::uint64_t(job.pref) << 40) ^ (std::uint64_t(g.number) << 56)};
  SplitMix64 rng{mix.next()};
  const std::vector<Column> columns = columnsOf(g, rng);
  const std::vector<Municipality> municipalities = planMunicipalities(job.records, rng);
  const QList<QByteArray> areas = areaNames();
  const QByteArray hidden = QByteArray(8, ' ') + h7::sjis::encode(QStringLiteral("秘匿"));
  const char* tableCode = g.number == 1 ? "04" : g.number == 2 ? "14" : "18";
  const int fields = g.fieldsPerRecord;
  const std::size_t fullChars = std::size_t(kCodeWidth + kFieldWidth * fields);
  const std::size_t maxLine = fullChars + 24 + 2 + 2;  // area name, hidden marker, CR LF

  BlockWriter out(job.boundaries ? QString() : path, compare);
  std::int64_t serial = 0;
  for (const Municipality& m : municipalities) {
    std::int64_t area = 100 + std::int64_t(rng.below(900));
    const std::int64_t maxStep = std::clamp<std::int64_t>((999999 - area) / (m.records + 1), 1, 40);
    for (std::int64_t r = 0; r < m.records && out.ok(); ++r) {
      ++serial;
      char* const line = out.room(maxLine);
      char head[40];
      std::snprintf(head, sizeof head, "%s1995%09lld%s%03d%06lld", tableCode,
                    static_cast<long long>(serial % 1000000000), pref, m.code,
                    static_cast<long long>(area % 1000000));
      area += 1 + std::int64_t(rng.below(std::uint64_t(maxStep)));
      std::memcpy(line, head, 26);
      char* p = line + 26;
      bool ascii = true;
      if (rng.below(500) == 0) {
        const QByteArray& name = areas[qsizetype(rng.below(std::uint64_t(areas.size())))];
        std::memcpy(p, name.constData(), std::size_t(name.size()));
        p += name.size();
        ascii = false;
      } else {
        std::memset(p, ' ', 24);
        p[0] = '0';
        p[1] = char('1' + rng.below(3));
        p += 24;
      }
      const int hiddenField = rng.below(200) == 0 ? int(rng.below(std::uint64_t(fields))) : -1;
      if (hiddenField >= 0) ascii = false;

      for (int k = 0; k < fields; ++k, p += kFieldWidth) {
        if (k == hiddenField) {
          std::memcpy(p, hidden.constData(), std::size_t(hidden.size()));
          p += hidden.size() - kFieldWidth;
          continue;
        }
        const std::uint64_t bits = rng.next();
        if (job.suppressed >= 0) {  // the harsh mix: suppressed, zero and empty cells, the rest whole numbers
          constexpr std::uint64_t kPow10to7[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};
          if (bits % 10000 < std::uint64_t(job.suppressed) * 100) {
            const unsigned which = unsigned(bits >> 32) % 3;
            if (which == 0) std::memset(p, ' ', kFieldWidth);
            else putRight(p, which == 1 ? "X" : "-");
          } else if ((bits >> 20) % 32 == 0) {  // now and then a decimal
            putDecimal(p, (bits >> 32) % 100000, 1 + int(bits >> 62) % 2, false);
          } else {  // 1 to 7 digits
            putInt(p, (bits >> 32) % kPow10to7[1 + (bits >> 24) % 7], false);
          }
          continue;
        }
        const unsigned small = unsigned(bits & 0xFF);
        const std::uint64_t value = (bits >> 8) & 0xFFFFFFFFFFull;
        const unsigned pick = unsigned(bits >> 48);  // 0..65535: the rare kinds of field first
        if (pick < 40) {  // zero-padded
          std::uint64_t v = value % 100000;
          for (int i = kFieldWidth - 1; i >= 0; --i) p[i] = char('0' + v % 10), v /= 10;
        } else if (pick < 690) {
          std::memset(p, ' ', kFieldWidth);
        } else if (pick < 950) {
          putRight(p, "X");
        } else if (pick < 1210) {
          putRight(p, "-");
        } else if (pick < 1340) {
          putRight(p, "**");
        } else if (pick < 1470) {
          putInt(p, 1 + value % 999, true);
        } else if (pick < 1600) {
          putDecimal(p, 1 + value % 9999, 2, true);
        } else {
          const Column c = columns[std::size_t(k)];
          if (c.kind == Kind::Ratio)
            putDecimal(p, value % 1001, 1, false);
          else if (c.kind == Kind::Average)
            putDecimal(p, value % 10000, 2, false);
          else if ((small & 7) == 0)
            putInt(p, 0, false);
          else
            putInt(p, value % kPow10[1 + (small >> 3) % c.maxDigits], false);
        }
      }

      std::size_t length = std::size_t(p - line);
      if (rng.below(1000) == 0) {  // a short record, cut between two characters
        const std::size_t cut = rng.below(8) == 0 ? std::size_t(rng.below(60))
                                                  : 60 + std::size_t(rng.below(fullChars - 60));
        if (ascii) {
          length = cut;
        } else {
          const auto* b = reinterpret_cast<const unsigned char*>(line);
          const auto* end = b + length;
          const auto* at = b;
          for (std::size_t c = 0; c < cut && at < end; ++c) at += h7::sjis::charLength(at, end);
          length = std::size_t(at - b);
        }
      }
      // The square carries KEY_CODE as the run reads it (positions 16-26, ASCII): the whole
      // code, what a cut leaves of it, or no square when the cut leaves none.
      if (const std::size_t keyEnd = std::min<std::size_t>(length, 26); job.boundaries && keyEnd > 15) {
        if (!job.boundaries->add(job.pref, serial - 1, job.records, std::string_view(head + 15, keyEnd - 15), why))
          return Outcome::Failed;
        ++*job.squares;
      }
      line[length] = '\r';
      line[length + 1] = '\n';
      out.commit(length + 2);
    }
  }
  const qint64 bytes = out.bytesWritten();
  const Outcome outcome = out.close();
  if (outcome == Outcome::Failed) *why = out.error();
  if ((outcome == Outcome::Written || outcome == Outcome::Same) && !job.boundaries)
    std::printf("%s: %lld records, %lld bytes\n", qPrintable(QDir::toNativeSeparators(path)),
                static_cast<long long>(serial), static_cast<long long>(bytes));
  return outcome;
}

#ifdef H7_MAP
// DIR/boundaries.gpkg or .shp and its companions: a square per record of the data files, whose
// records are made again and thrown away. Made first, then compared with the files there (a
// file of other bytes named in `why`) or written over them.
Outcome writeBoundaries(const QString& dir, const BoundaryOptions& options, std::vector<DataJob> jobs, bool compare,
                        QString* why) {
  std::unique_ptr<SampleBoundaries> squares = SampleBoundaries::create(dir, options, why);
  bool ok = squares != nullptr;
  std::int64_t count = 0;
  for (DataJob& job : jobs) {
    job.boundaries = squares.get();
    job.squares = &count;
    ok = ok && writeDataFile(job, false, why) == Outcome::Written;
  }
  ok = ok && squares->close(why);
  if (ok && compare && !(*why = squares->otherBytes()).isEmpty()) return Outcome::Differs;
  Outcome outcome = !ok ? Outcome::Failed : !compare ? Outcome::Written : squares->sameAsThere() ? Outcome::Same : Outcome::Missing;
  if (outcome == Outcome::Written && !squares->commit(why)) outcome = Outcome::Failed;
  if (outcome == Outcome::Written || outcome == Outcome::Same)
    std::printf("%s: %lld squares\n", qPrintable(QDir::toNativeSeparators(SampleBoundaries::paths(dir, options.shapefile)[0])),
                static_cast<long long>(count));
  return outcome;
}
#endif

// ---------------------------------------------------------------------------------------
// Command line.


int usageError(const h7::Failure& failure) {
  std::fprintf(stderr, "h7sample: %s\n%s\n", qPrintable(failure.description), qPrintable(h7::msg::sample::helpHint()));
  return 2;
}

// A number read as h7extract reads one (full-width digits and blanks around it taken); false
// when it is anything else or does not fit.
template <typename T>
bool parseNumber(std::string_view text, T& value) {
  const std::string digits = h7::strictNumber(QString::fromUtf8(text.data(), qsizetype(text.size()))).toStdString();
  const char* end = digits.data() + digits.size();
  auto [ptr, ec] = std::from_chars(digits.data(), end, value);
  return !digits.empty() && ec == std::errc() && ptr == end;
}

// "13", "01-47", "01,13-14,27": prefecture numbers 1-47 in the order given, each once.
bool parsePrefectures(const std::string& given, std::vector<int>& out) {
  const std::string half = h7::halfWidth(QString::fromStdString(given)).toStdString();  // "１３－１４" too
  std::string_view text = half;
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    const std::size_t dash = item.find('-');
    int first = 0, last = 0;
    if (!parseNumber(item.substr(0, dash), first)) return false;
    if (dash == std::string_view::npos) last = first;
    else if (!parseNumber(item.substr(dash + 1), last)) return false;
    if (first < 1 || last > 47 || first > last) return false;
    for (int p = first; p <= last; ++p)
      if (std::find(out.begin(), out.end(), p) == out.end()) out.push_back(p);
    if (comma == std::string_view::npos) return true;
    text.remove_prefix(comma + 1);
  }
}

// A value as it counts when its option is given twice: a number by its value, prefectures
// as the set they name; anything else, and what does not read, as written.
std::string comparable(const std::string& option, const std::string& value) {
  std::vector<int> list;
  std::uint64_t number = 0;
  if (option == "pref" && parsePrefectures(value, list)) {
    std::sort(list.begin(), list.end());
    std::string set;
    for (int p : list) set += std::to_string(p) + ',';
    return set;
  }
  return option != "out" && parseNumber(value, number) ? std::to_string(number) : value;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (const int refused = h7::refusedKernelChoice()) return refused;
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  QList<QCommandLineOption> options;
  for (const char* name : {"out", "pref", "group", "records", "seed", "suppressed", "boundaries-format", "boundaries-split"})
    options << QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value"));
  options << QCommandLineOption(QStringLiteral("names")) << QCommandLineOption(QStringLiteral("data"))
          << QCommandLineOption(QStringLiteral("force")) << QCommandLineOption(QStringLiteral("boundaries"))
          << QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
  QCommandLineParser parser;
  namespace text = h7::msg::sample;
  if (auto failure = h7::readCommandLine(parser, options, arguments,
                                         {text::unknownArgument, text::needsValue, text::unknownArgument}))
    return usageError(*failure);
  if (parser.isSet(QStringLiteral("help"))) {
    std::fputs(h7::msg::sample::help().toUtf8().constData(), stdout);
    return 0;
  }
  std::map<std::string, std::string> values;  // the options given, by name
  for (const char* name : {"out", "pref", "group", "records", "seed", "suppressed", "boundaries-format", "boundaries-split"}) {
    const QStringList given = parser.values(QString::fromLatin1(name));
    if (given.isEmpty()) continue;
    values[name] = given.first().toStdString();
    for (const QString& other : given)
      if (comparable(name, other.toStdString()) != comparable(name, values[name]))
        return usageError(text::givenTwice(QStringLiteral("--") + QLatin1String(name)));
  }
  const bool names = parser.isSet(QStringLiteral("names")), data = parser.isSet(QStringLiteral("data"));
  const bool force = parser.isSet(QStringLiteral("force")), boundaries = parser.isSet(QStringLiteral("boundaries"));
  auto given = [&](const char* name) { return values.count(name) > 0; };

  if (!names && !data) return usageError(text::nothingToDo());
  if ((given("boundaries-format") || given("boundaries-split")) && !boundaries) return usageError(text::onlyWithBoundaries());
  if (!given("out") || values["out"].empty()) return usageError(text::required(QStringLiteral("--out DIR")));

  std::vector<int> prefectures;
  int group = 0;
  std::int64_t records = 0;
  std::uint64_t seed = 1;
  int suppressed = -1;
  BoundaryOptions shape;
  if (data) {
    if (!given("pref")) return usageError(text::dataNeeds(QStringLiteral("--pref")));
    if (!given("group")) return usageError(text::dataNeeds(QStringLiteral("--group")));
    if (!given("records")) return usageError(text::dataNeeds(QStringLiteral("--records")));
    if (!parsePrefectures(values["pref"], prefectures))
      return usageError(text::badValue("pref", values["pref"]));
    if (!parseNumber(values["group"], group) || !h7::tabulationGroup(group))
      return usageError(text::badValue("group", values["group"]));
    if (!parseNumber(values["records"], records) || records < 0 || records > 100000000)
      return usageError(text::badValue("records", values["records"]));
    if (given("seed") && !parseNumber(values["seed"], seed))
      return usageError(text::badValue("seed", values["seed"]));
    if (given("suppressed") && (!parseNumber(values["suppressed"], suppressed) || suppressed < 0 || suppressed > 100))
      return usageError(text::badValue("suppressed", values["suppressed"]));
    const std::string format = given("boundaries-format") ? values["boundaries-format"] : "gpkg";
    if (format != "gpkg" && format != "shp") return usageError(text::badValue("boundaries-format", format));
    shape.shapefile = format == "shp";
    shape.seed = seed;
    if (given("boundaries-split") && (!parseNumber(values["boundaries-split"], shape.split) || shape.split > 100))
      return usageError(text::badValue("boundaries-split", values["boundaries-split"]));
  } else if (given("pref") || given("group") || given("records") || given("seed") || given("suppressed") || boundaries) {
    return usageError(text::onlyWithData());
  }
#ifndef H7_MAP
  if (boundaries) return usageError(text::noMapSupport());
#endif
  if (boundaries && !h7::mapModule().api) {  // GDAL's module, loaded for the squares only
    std::fprintf(stderr, "h7sample: %s\n", qPrintable(text::noMapModule(h7::mapModule().path, h7::mapModule().why).description));
    return 2;
  }

  const QString dir = QDir::cleanPath(QString::fromStdString(values["out"]));
  if (!QDir().mkpath(dir)) {
    std::fprintf(stderr, "h7sample: %s\n", qPrintable(text::cannotCreateFolder(dir).description));
    return 1;
  }

  // The files to make; those that exist are compared first, so that none is replaced with
  // other bytes unless --force says so, and a refusal leaves every file as it was.
  std::vector<std::pair<QStringList, std::function<Outcome(bool, QString*)>>> files;
  if (names)
    for (int g = 1; g <= 3; ++g)
      files.emplace_back(QStringList{h7::itemNamePath(dir, *h7::tabulationGroup(g))}, [&dir, g](bool compare, QString* why) {
        return writeNameFile(dir, *h7::tabulationGroup(g), compare, why);
      });
  std::vector<DataJob> jobs;
  for (int pref : prefectures) {
    const DataJob& job = jobs.emplace_back(DataJob{dir, pref, h7::tabulationGroup(group), records, seed, suppressed});
    files.emplace_back(QStringList{h7::censusDataPath(dir, QStringLiteral("%1").arg(pref, 2, 10, QLatin1Char('0')), *job.group)},
                       [job](bool compare, QString* why) { return writeDataFile(job, compare, why); });
  }
#ifdef H7_MAP
  if (boundaries)
    files.emplace_back(SampleBoundaries::paths(dir, shape.shapefile),
                       [&](bool compare, QString* why) { return writeBoundaries(dir, shape, jobs, compare, why); });
#endif
  std::vector<Outcome> outcomes(files.size(), Outcome::Differs);  // all but Same: to be written
  QString why;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const QStringList& paths = files[i].first;
    if (force || std::none_of(paths.begin(), paths.end(), [](const QString& p) { return QFileInfo::exists(p); })) continue;
    why.clear();
    outcomes[i] = files[i].second(true, &why);
    if (outcomes[i] == Outcome::Differs)
      std::fprintf(stderr, "h7sample: %s\n", qPrintable(text::otherBytes(QDir::toNativeSeparators(why.isEmpty() ? paths[0] : why)).description));
    else if (outcomes[i] == Outcome::Failed)
      std::fprintf(stderr, "h7sample: %s\n", qPrintable(why));
    if (outcomes[i] != Outcome::Same && outcomes[i] != Outcome::Missing) return 1;
  }
  for (std::size_t i = 0; i < files.size(); ++i)
    if (outcomes[i] != Outcome::Same && (outcomes[i] = files[i].second(false, &why)) == Outcome::Failed) {
      std::fprintf(stderr, "h7sample: %s\n", qPrintable(why));
      return 1;
    }
  return 0;
}
