#include <gtest/gtest.h>

#include <QStringList>

#include "common/numeric.h"
#include "municipality/ranges_check.h"

namespace {

using namespace h7;

// "start,end;start,end;..." for ranges 1 to 5 (Text1..Text10); missing fields are empty.
std::array<QString, 10> fields(const char* texts) {
  std::array<QString, 10> f;
  const QStringList ranges = QString::fromUtf8(texts).split(u';');
  for (qsizetype i = 0; i < ranges.size() && i < 5; ++i) {
    const QStringList parts = ranges[i].split(u',');
    for (qsizetype j = 0; j < parts.size() && j < 2; ++j) f[2 * i + j] = parts[j];
  }
  return f;
}

// "SHI_SW: SFR1..5 / STO1..5" in canonical form.
std::string stored(const JobParams& p) {
  std::string s = p.SHI_SW.toStdString() + ":";
  for (auto column : {JobParams::rangeFirst, JobParams::rangeLast}) {
    if (column == JobParams::rangeLast) s += " /";
    for (int i = 0; i < 5; ++i) s += ' ' + canonicalNumber(p.*column[i]);
  }
  return s;
}

std::string run(const char* texts, JobParams& params) {
  auto f = fields(texts);
  return storeAndCheckMunicipalities(f, params).toStdString();
}

const std::string kOk;
const std::string kUnknown = rangemsg::unknownCode().toStdString();
const std::string kStartAfterEnd = rangemsg::startAfterEnd().toStdString();
const std::string kOverflow = (QStringLiteral("ERROR  ") + overflowDescription()).toStdString();

TEST(MunicipalityBack, StoresThenChecksInOrder) {
  const struct {
    const char* fields;
    const std::string& message;
    const char* stored;
  } cases[] = {
      {"101,105", kOk, "ON: 101 0 0 0 0 / 105 0 0 0 0"},
      {"201", kOk, "ON: 201 0 0 0 0 / 201 0 0 0 0"},
      {"99", kUnknown, "ON: 99 0 0 0 0 / 0 0 0 0 0"},
      {"100;999", kOk, "ON: 100 999 0 0 0 / 100 999 0 0 0"},
      {"0,50", kOk, "ON: 0 0 0 0 0 / 50 0 0 0 0"},
      {"105,101", kStartAfterEnd, "ON: 105 0 0 0 0 / 101 0 0 0 0"},
      {"050", kUnknown, "ON: 50 0 0 0 0 / 0 0 0 0 0"},
      {" ", kOk, "ON: 0 0 0 0 0 / 0 0 0 0 0"},
      {"　", kOk, "ON: 0 0 0 0 0 / 0 0 0 0 0"},
      {"２０１", kOk, "ON: 201 0 0 0 0 / 201 0 0 0 0"},
      {"101,1000", kUnknown, "ON: 101 0 0 0 0 / 1000 0 0 0 0"},
      {"101,-5", kStartAfterEnd, "ON: 101 0 0 0 0 / -5 0 0 0 0"},
      {"1e5", kUnknown, "ON: 100000 0 0 0 0 / 0 0 0 0 0"},
      // ranges 1 to 4 keep fractions, range 5 rounds halves to even
      {".5", kUnknown, "ON: .5 0 0 0 0 / 0 0 0 0 0"},
      {"101;;;;.5", kOk, "ON: 101 0 0 0 0 / 101 0 0 0 0"},
      {"101;;;;1.5", kUnknown, "ON: 101 0 0 0 2 / 0 0 0 0 0"},
      {"100.5,100", kStartAfterEnd, "ON: 100.5 0 0 0 0 / 100 0 0 0 0"},
      {"101;;;;100.5,100", kOk, "ON: 101 0 0 0 100 / 101 0 0 0 100"},
      // each check runs over all ranges before the next; ends are filled only on success
      {"50;205,201", kStartAfterEnd, "ON: 50 205 0 0 0 / 0 201 0 0 0"},
      {"201;1000;50", kUnknown, "ON: 201 1000 50 0 0 / 0 0 0 0 0"},
      {"201,1000;1000", kUnknown, "ON: 201 1000 0 0 0 / 1000 0 0 0 0"},
      {" ;;50", kUnknown, "ON: 0 0 50 0 0 / 0 0 0 0 0"},
  };
  for (const auto& c : cases) {
    JobParams params;
    EXPECT_EQ(run(c.fields, params), c.message) << c.fields;
    EXPECT_EQ(stored(params), c.stored) << c.fields;
  }
}

TEST(MunicipalityBack, EmptyText1SwitchesOffAndTouchesNothing) {
  JobParams params;
  ASSERT_EQ(run("101,105;201;301", params), kOk);
  for (const char* texts : {"", ";２０１", ";9e9,1"}) {
    auto f = fields(texts), before = f;
    EXPECT_TRUE(storeAndCheckMunicipalities(f, params).isEmpty()) << texts;
    EXPECT_EQ(f, before) << texts;  // not even converted
    EXPECT_EQ(stored(params), "OFF: 101 201 301 0 0 / 105 201 301 0 0") << texts;
  }
}

TEST(MunicipalityBack, Range5OverflowStopsTheStoreThere) {
  const struct {
    const char* fields;
    const char* stored;
  } cases[] = {
      {"111;222;333;444;1e5", "ON: 111 222 333 444 5 / 6 6 6 6 6"},
      {"111;222;333;444;555,9e9", "ON: 111 222 333 444 555 / 0 0 0 0 6"},
      {"111;222;333;444;-32769", "ON: 111 222 333 444 5 / 6 6 6 6 6"},
  };
  for (const auto& c : cases) {
    JobParams params;
    ASSERT_EQ(run("5,6;5,6;5,6;5,6;5,6", params), kUnknown);
    EXPECT_EQ(run(c.fields, params), kOverflow) << c.fields;
    EXPECT_EQ(stored(params), c.stored) << c.fields;
  }
}

TEST(MunicipalityBack, FieldsKeepTheirHalfWidthText) {
  JobParams params;
  auto f = fields("　２０１,３０１;ｶﾞ");
  EXPECT_TRUE(storeAndCheckMunicipalities(f, params).isEmpty());
  EXPECT_EQ(f[0], QStringLiteral(" 201"));
  EXPECT_EQ(f[1], QStringLiteral("301"));
  EXPECT_EQ(f[2], QStringLiteral("ｶﾞ"));
}

}  // namespace
