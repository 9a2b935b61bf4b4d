#include <gtest/gtest.h>

#include <QProcess>

#include "cli/args.h"
#include "extract/run.h"
#include "support/testutil.h"

namespace {

struct Ran {
  int status;
  QString out, err;
};

Ran run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(H7_BIN_DIR "/") + program, args);
  EXPECT_TRUE(p.waitForFinished(60000));
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

class H7Extract : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(run("h7sample", {"--data", "--out", dir.path(), "--pref", "13", "--group", "1", "--records", "120"}).status, 0);
  }
  QStringList base(const QString& items) const {
    return {"--input", dir.path(), "--output", dir.file("out.csv"), "--pref", "13", "--group", "1", "--items", items};
  }
  h7test::ScratchDir dir;
};

TEST_F(H7Extract, SameBytesAsTheCoreRun) {
  for (bool numerify : {false, true}) {
    QStringList args = base("1-991:10,5,3-4");
    if (numerify) args << "--numerify";
    args << "--municipalities" << "101-105,201";
    Ran r = run("h7extract", args);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("正常終了  KCNT= 1361   ICNT=  120  ,OCNT= "))) << r.err.toStdString();

    h7::RunInputs in;
    in.inputFolder = dir.path();
    in.outputFile = dir.file("core.csv");
    in.prefectures = QStringList{"13"};
    in.programFolder = H7_BIN_DIR;
    in.numerify = numerify;
    in.itemSets = {{1, 991, 10}, {5, 0, 0}, {3, 4, 0}};
    in.municipalityFilter = true;
    in.municipalities = {{101, 105}, {201, 0}};
    // The CLI checks the ranges first, which fills in the last code of 201 as on the screen.
    in.municipalities[1].last = 201;
    ASSERT_EQ(h7::runExtraction(in).end, h7::RunEnd::Completed);
    EXPECT_EQ(dir.bytes("out.csv"), dir.bytes("core.csv"));
  }
}

TEST_F(H7Extract, ExitStatusAndMessages) {
  const struct {
    QStringList args;
    int status;
    QString err;  // start of what stderr says
  } cases[] = {
      {{"--bogus"}, 2, QStringLiteral("不明なオプションです: --bogus")},
      {{"--input"}, 2, QStringLiteral("--input に値がありません。")},
      {{"--group", "4"}, 2, QStringLiteral("--group には 1、2 または 3")},
      {base("1") << "--pref" << "48", 2, QStringLiteral("ERROR  都道府県番号異常")},
      {base("2000"), 2, QStringLiteral("ERROR  最大項目番号を超えた")},
      {base("10-5"), 2, QStringLiteral("ERROR  開始項目　＞　終了項目")},
      {base("1-5:-1"), 2, QStringLiteral("ERROR  間隔値異常")},
      {base("1,") , 2, QStringLiteral("--items の形式が正しくありません")},
      {base("1") << "--municipalities" << "99", 2, QStringLiteral("ERROR  市区町番号が不明")},
      {base("0,5"), 1, QStringLiteral("ERROR  出力項目の選択指定がされていません。")},
      {base("1") << "--pref" << "14", 1, QStringLiteral("ERROR  ファイルが見つかりません。")},
      {base("1") << "--pref" << "５", 1, QStringLiteral("ERROR  ファイルが見つかりません。")},  // 05: checked, normalised
      {base("１-３"), 0, QStringLiteral("正常終了")},
  };
  for (const auto& c : cases) {
    Ran r = run("h7extract", c.args);
    EXPECT_EQ(r.status, c.status) << c.args.join(' ').toStdString() << ": " << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith(c.err)) << c.args.join(' ').toStdString() << ": " << r.err.toStdString();
  }
}

TEST_F(H7Extract, HelpAndListItems) {
  Ran help = run("h7extract", {"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--input", "--output", "--pref", "--group", "--items", "--municipalities", "--numerify",
                             "--names", "--utf8", "--quiet", "--list-items", "--filter"})
    EXPECT_TRUE(help.out.contains(QLatin1String(option))) << option;

  Ran all = run("h7extract", {"--list-items", "--group", "2"});
  ASSERT_EQ(all.status, 0) << all.err.toStdString();
  const QStringList rows = all.out.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(rows.size(), 1014);
  EXPECT_TRUE(rows.first().startsWith("1362\t"));
  EXPECT_TRUE(rows.last().startsWith("2375\t"));

  // A half-width key is widened: it finds full-width text only.
  Ran some = run("h7extract", {"--list-items", "--group", "1", "--filter", " 85 "});
  ASSERT_EQ(some.status, 0);
  for (const QString& row : some.out.split('\n', Qt::SkipEmptyParts)) EXPECT_TRUE(row.contains(QStringLiteral("８５"))) << row.toStdString();

  Ran missing = run("h7extract", {"--list-items", "--group", "1", "--names", dir.file("none")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(missing.err.startsWith(QStringLiteral("ERROR パスが見つかりません。")) ||
              missing.err.startsWith(QStringLiteral("ERROR ファイルが見つかりません。")));
}

TEST(ItemSetArguments, ParsedLikeTheScreenFields) {
  using h7::ItemSet;
  const struct {
    QString text;
    std::optional<std::vector<ItemSet>> sets;
  } cases[] = {
      {"1-991:10", std::vector<ItemSet>{{1, 991, 10}}},
      {"5", std::vector<ItemSet>{{5, 0, 0}}},
      {"12.9-1e3", std::vector<ItemSet>{{12, 1000, 0}}},
      {QStringLiteral("１２－２０：２"), std::vector<ItemSet>{{12, 20, 2}}},
      {"-5-3", std::vector<ItemSet>{{-5, 3, 0}}},
      {"20-10:-5, 1", std::vector<ItemSet>{{20, 10, -5}, {1, 0, 0}}},
      {"", std::nullopt},
      {"1,,2", std::nullopt},
      {"1:", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(h7::cli::parseItemSets(c.text), c.sets) << c.text.toStdString();
}

}  // namespace

namespace {

TEST(PrefectureArguments, ListsAndRanges) {
  const struct {
    QString text;
    std::optional<QStringList> list;
  } cases[] = {
      {"13", QStringList{"13"}},
      {"5", QStringList{"05"}},
      {QStringLiteral("１３"), QStringList{"13"}},
      {"01-03,13", QStringList{"01", "02", "03", "13"}},
      {"13,TT", QStringList{"13", "TT"}},
      {"46-47", QStringList{"46", "47"}},
      {"48", std::nullopt},
      {"14-13", std::nullopt},
      {"13,", std::nullopt},
      {"TT-13", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(h7::cli::parsePrefectures(c.text), c.list) << c.text.toStdString();
}

TEST_F(H7Extract, SeveralPrefecturesInOneOutput) {
  ASSERT_EQ(run("h7sample", {"--data", "--out", dir.path(), "--pref", "14", "--group", "1", "--records", "40"}).status, 0);
  auto extract = [&](const QString& pref, const QString& out) {
    QStringList args = base("1-20");
    args[args.indexOf("--pref") + 1] = pref;
    args[args.indexOf("--output") + 1] = dir.file(out);
    return run("h7extract", args);
  };
  ASSERT_EQ(extract("13", "13.csv").status, 0);
  ASSERT_EQ(extract("14", "14.csv").status, 0);
  const std::string only14 = dir.bytes("14.csv");
  const std::string expected = dir.bytes("13.csv") + only14.substr(only14.find("\r\n") + 2);
  for (const char* pref : {"13,14", "13-14", "all", "ALL"}) {
    Ran r = extract(pref, "both.csv");
    ASSERT_EQ(r.status, 0) << pref << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("正常終了  KCNT= 1361   ICNT=  160  ,OCNT=  161"))) << r.err.toStdString();
    EXPECT_EQ(dir.bytes("both.csv"), expected) << pref;
  }
  dir.write("both.csv", "earlier");
  Ran missing = extract("13-15", "both.csv");
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(missing.err.startsWith(QStringLiteral("ERROR  ファイルが見つかりません。")));
  EXPECT_EQ(dir.bytes("both.csv"), "earlier");

  QStringList none = base("1");
  none[none.indexOf("--pref") + 1] = "all";
  none[none.indexOf("--group") + 1] = "2";
  Ran empty = run("h7extract", none);
  EXPECT_EQ(empty.status, 1);
  EXPECT_TRUE(empty.err.startsWith(QStringLiteral("ERROR  ファイルが見つかりません。"))) << empty.err.toStdString();
}

}  // namespace

namespace {

TEST_F(H7Extract, StatsAndByteOrderMark) {
  Ran r = run("h7extract", base("1-50") << "--numerify" << "--stats" << "--utf8-bom");
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  const QStringList lines = r.err.split('\n', Qt::SkipEmptyParts);
  ASSERT_GE(lines.size(), 3);
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("正常終了")));
  EXPECT_EQ(lines[1], QStringLiteral("数値を含まず 0 とした値 (項目番号: 件数)"));
  EXPECT_TRUE(lines.last().startsWith(QStringLiteral("  合計: ")));
  const std::string out = dir.bytes("out.csv");
  EXPECT_EQ(out.substr(0, 8), "\xEF\xBB\xBF\"県\"");
}

}  // namespace
