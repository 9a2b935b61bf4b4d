#include <gtest/gtest.h>

#include <QDir>
#include <algorithm>
#include <QFile>
#include <sys/stat.h>

#include "extract/run.h"
#include "support/testutil.h"

using h7test::sjis;

namespace {

// A census record: 15 filler characters, the three codes, 24 filler, then the fields.
std::string record(const std::string& pref, const std::string& muni, const std::string& area,
                   const std::vector<std::string>& fields) {
  std::string r = std::string(15, '9') + pref + muni + area + std::string(24, ' ');
  for (const auto& f : fields) r += f;
  return r;
}

std::string lines(const std::vector<std::string>& ls) {
  std::string all;
  for (const auto& l : ls) all += l + "\r\n";
  return all;
}

const std::string kHeaderStart = "\"" + sjis("県") + "\",\"" + sjis("市区町村") + "\",\"" + sjis("町丁･字等") + "\"";

class Run : public ::testing::Test {
 protected:
  void SetUp() override {
    in = {};
    dir.write("NAMEH7S1.CCC", lines({sjis("人口総数"), sjis("男"), sjis("女")}));
    dir.write("NAMEH7S2.CCC", lines({sjis("一般世帯数"), sjis("世帯人員")}));
    writeData({record("13", "101", "000100", {"      1234", "     12.50", "         X"}),
               record("13", "102", "000200", {"        -7", "          ", "       0.5"})});
    in.inputFolder = dir.path();
    in.outputFile = dir.file("out.csv");
    in.prefectures = QStringList{"13"};
    in.group = 1;
    in.programFolder = dir.path();
    in.itemSets = {{1, 3, 0}};
  }
  void writeData(const std::vector<std::string>& records, const QString& name = "H7S13S1.DAT") {
    dir.write(name, lines(records));
  }
  h7::RunResult run() { return h7::runExtraction(in); }
  bool onlyExpectedFiles() const {
    for (const QString& f : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
      if (f.contains("h7tmp")) return false;
    return true;
  }

  h7test::ScratchDir dir;
  h7::RunInputs in;
};

TEST_F(Run, CompletedRunWritesHeaderAndRecordsByteForByte) {
  auto r = run();
  ASSERT_EQ(r.end, h7::RunEnd::Completed) << r.message.toStdString();
  EXPECT_EQ(r.message, QStringLiteral("正常終了  KCNT= 3   ICNT=  2  ,OCNT=  3"));
  EXPECT_EQ(dir.bytes("out.csv"), kHeaderStart + ",\"" + sjis("人口総数") + "\",\"" + sjis("男") + "\",\"" + sjis("女") +
                                      "\"\r\n\"13\",\"101\",\"000100\",      1234,     12.50,         X\r\n"
                                      "\"13\",\"102\",\"000200\",        -7,          ,       0.5\r\n");
  in.numerify = true;
  ASSERT_EQ(run().end, h7::RunEnd::Completed);
  EXPECT_EQ(dir.bytes("out.csv").substr(dir.bytes("out.csv").find("\r\n") + 2),
            "\"13\",\"101\",\"000100\",1234,12.5,0\r\n\"13\",\"102\",\"000200\",-7,0,.5\r\n");
  EXPECT_TRUE(onlyExpectedFiles());
}

TEST_F(Run, CompletionMessageCounts) {
  EXPECT_EQ(h7::completionMessage(1361, 3000, 2501), QStringLiteral("正常終了  KCNT= 1361   ICNT=  3000  ,OCNT=  2501"));
  EXPECT_EQ(h7::completionMessage(0, 100000, 40001), QStringLiteral("正常終了  KCNT= 0   ICNT=  100000  ,OCNT=  40001"));
}

TEST_F(Run, EmptyDataFileGivesHeaderOnly) {
  writeData({});
  in.itemSets = {{2, 0, 0}};
  auto r = run();
  EXPECT_EQ(r.message, QStringLiteral("正常終了  KCNT= 3   ICNT=  0  ,OCNT=  1"));
  EXPECT_EQ(dir.bytes("out.csv"), kHeaderStart + ",\"" + sjis("男") + "\"\r\n");
}

TEST_F(Run, ItemListFromSets) {
  // Names beyond the file's last line (up to slot 1400) are empty.
  const struct {
    int group;
    std::vector<h7::ItemSet> sets;
    std::vector<h7::ItemSet> after;  // what the run wrote back
    std::string header;              // the names part of the header
  } cases[] = {
      {1, {{10, 20, 5}}, {{10, 20, 5}}, ",\"\",\"\",\"\""},
      {1, {{10, 19, 5}}, {{10, 19, 5}}, ",\"\",\"\""},
      {1, {{3, 1, -1}}, {{3, 1, -1}}, ",\"" + sjis("女") + "\",\"" + sjis("男") + "\",\"" + sjis("人口総数") + "\""},
      {1, {{2, 0, 0}, {1, 2, 0}}, {{2, 2, 1}, {1, 2, 1}}, ",\"" + sjis("男") + "\",\"" + sjis("人口総数") + "\",\"" + sjis("男") + "\""},
      {1, {{1, 0, 0}, {0, 0, 0}, {3, 0, 0}}, {{1, 1, 1}, {0, 0, 1}, {3, 0, 1}}, ",\"" + sjis("人口総数") + "\""},
      {1, {{5, 1, 0}, {2, 0, 0}}, {{5, 1, 1}, {2, 2, 1}}, ",\"" + sjis("男") + "\""},   // wrong side: nothing
      {1, {{5, 1, 0}}, {{5, 1, 1}}, ""},
      {2, {{1362, 0, 0}}, {{1362, 1362, 1}}, ",\"" + sjis("一般世帯数") + "\""},
      {2, {{1361, 0, 0}}, {{1361, 1361, 1}}, ",\"\""},  // position 0: the empty slot 0
      {1, {{1400, 0, 0}}, {{1400, 1400, 1}}, ",\"\""},
  };
  for (const auto& c : cases) {
    in.group = c.group;
    in.itemSets = c.sets;
    if (c.group == 2) writeData({}, "H7S13S2.DAT");
    auto r = run();
    ASSERT_EQ(r.end, h7::RunEnd::Completed) << r.message.toStdString();
    EXPECT_EQ(in.itemSets, c.after);
    std::string out = dir.bytes("out.csv");
    EXPECT_EQ(out.substr(0, out.find("\r\n")), kHeaderStart + c.header);
  }
}

TEST_F(Run, NoItemsAndFailuresLeaveTheOutputAsItWas) {
  const std::string earlier = "earlier output\r\n";
  const QString names = dir.file("NAMEH7S1.CCC");  // named in the message: where the program looked
  auto missingNames = [&] { QFile::remove(names); };
  auto tooManyNames = [&] {
    std::vector<std::string> names(1401, "n");
    dir.write("NAMEH7S1.CCC", lines(names));
  };
  const struct {
    const char* what;
    std::function<void()> prepare;
    h7::RunEnd end;
    QString message;
  } cases[] = {
      {"no items", [&] { in.itemSets = {{0, 5, 0}, {1, 0, 0}}; }, h7::RunEnd::NoItems,
       QStringLiteral("ERROR  出力項目の選択指定がされていません。")},
      {"missing data file", [&] { in.prefectures = QStringList{"14"}; }, h7::RunEnd::Failed, QStringLiteral("ERROR  ファイルが見つかりません。")},
      {"missing folder", [&] { in.inputFolder = dir.file("nowhere"); }, h7::RunEnd::Failed,
       QStringLiteral("ERROR  パスが見つかりません。")},
      {"missing names", missingNames, h7::RunEnd::Failed, QStringLiteral("ERROR  ファイルが見つかりません。 (") + names + u')'},
      {"1401 names", tooManyNames, h7::RunEnd::Failed, QStringLiteral("ERROR  インデックスが有効範囲にありません。 (") + names + u')'},
      {"a name of 5000 bytes", [&] { dir.write("NAMEH7S1.CCC", std::string(5000, 'n')); }, h7::RunEnd::Failed,
       QStringLiteral("ERROR  項目名称が長すぎます。 (") + names + u')'},
      {"position past 1400", [&] { in.itemSets = {{1, 1401, 0}}; }, h7::RunEnd::Failed,
       QStringLiteral("ERROR  インデックスが有効範囲にありません。")},
      {"runaway set", [&] { in.itemSets = {{1, 9e99, 0}}; }, h7::RunEnd::Failed,
       QStringLiteral("ERROR  インデックスが有効範囲にありません。")},
      {"code overflow", [&] {
         in.municipalityFilter = true;
         in.municipalities = {{100, 999}};
         writeData({record("13", "1E5", "000100", {})});
       }, h7::RunEnd::Failed, QStringLiteral("ERROR  オーバーフローしました。")},
      {"value overflow", [&] {
         in.numerify = true;
         writeData({record("13", "101", "000100", {"     1E999"})});
       }, h7::RunEnd::Failed, QStringLiteral("ERROR  オーバーフローしました。")},
      {"output is the data file", [&] { in.outputFile = dir.file("H7S13S1.DAT"); }, h7::RunEnd::Failed,
       QStringLiteral("ERROR  出力ファイルが入力ファイルと同じです")},
      {"data file is a folder", [&] { in.prefectures = QStringList{"15"}; QDir(dir.path()).mkdir("H7S15S1.DAT"); },
       h7::RunEnd::Failed, QStringLiteral("ERROR  フォルダが指定されています。")},
      {"names file is a folder", [&] { QFile::remove(names); QDir(dir.path()).mkdir("NAMEH7S1.CCC"); },
       h7::RunEnd::Failed, QStringLiteral("ERROR  フォルダが指定されています。 (") + names + u')'},
  };
  for (const auto& c : cases) {
    SetUp();
    dir.write("out.csv", earlier);
    c.prepare();
    const std::string data = dir.bytes("H7S13S1.DAT");
    auto r = run();
    EXPECT_EQ(r.end, c.end) << c.what;
    EXPECT_EQ(r.message, c.message) << c.what;
    EXPECT_EQ(dir.bytes("out.csv"), earlier) << c.what;
    EXPECT_EQ(dir.bytes("H7S13S1.DAT"), data) << c.what;
    EXPECT_TRUE(onlyExpectedFiles()) << c.what;
  }
}

TEST_F(Run, BadOutputPathsFailWithoutTouchingAnything) {
  const struct {
    QString output;
    QString message;
  } cases[] = {
      {"", QStringLiteral("ERROR  パス名が無効です。")},
      {"missing/out.csv", QStringLiteral("ERROR  パスが見つかりません。")},
      {".", QStringLiteral("ERROR  フォルダが指定されています。")},
      {"NAMEH7S1.CCC", QStringLiteral("ERROR  出力ファイルが入力ファイルと同じです")},
  };
  for (const auto& c : cases) {
    in.outputFile = c.output.isEmpty() ? c.output : dir.file(c.output);
    EXPECT_EQ(run().message, c.message) << c.output.toStdString();
  }
  dir.write("ro.csv", "keep");
  ::chmod(dir.file("ro.csv").toLocal8Bit().constData(), 0444);
  in.outputFile = dir.file("ro.csv");
  EXPECT_EQ(run().message, QStringLiteral("ERROR  書き込みできません。"));
  EXPECT_EQ(dir.bytes("ro.csv"), "keep");
  EXPECT_TRUE(onlyExpectedFiles());
}

TEST_F(Run, DeviceOutputIsWrittenInPlace) {
  in.outputFile = "/dev/null";
  EXPECT_EQ(run().end, h7::RunEnd::Completed);
}

TEST_F(Run, MunicipalityFilter) {
  std::vector<std::string> records;
  for (const char* code : {"100", "101", "105", "106", "201", "202", "   ", "1.5"})
    records.push_back(record("13", code, "000100", {"         1"}));
  writeData(records);
  in.municipalityFilter = true;
  in.municipalities = {{101, 105}, {201, 201}, {0, 0}, {2, 2}};
  auto r = run();
  EXPECT_EQ(r.message, QStringLiteral("正常終了  KCNT= 3   ICNT=  8  ,OCNT=  4"));
  std::string out = dir.bytes("out.csv");
  EXPECT_NE(out.find("\"101\""), std::string::npos);
  EXPECT_NE(out.find("\"105\""), std::string::npos);
  EXPECT_NE(out.find("\"201\""), std::string::npos);
  EXPECT_EQ(out.find("\"1.5\""), std::string::npos);  // 1.5 rounds to 2: range 4 is behind a 0
  in.municipalities = {{1, 2}};
  EXPECT_EQ(run().OCNT, 2);  // only 1.5, rounded to 2
  in.municipalities = {{100, 0}};
  EXPECT_EQ(run().OCNT, 1);  // the run does not fill in a last code of 0
}

TEST_F(Run, CsvStaysValidAndLowerCaseFileNamesAreFound) {
  dir.write("NAMEH7S1.CCC", lines({sjis("\"その他\"の世帯"), "a,b"}));
  QFile::remove(dir.file("H7S13S1.DAT"));
  writeData({record("13", "101", "000100", {"   1,234  "})}, "h7s13s1.dat");
  in.itemSets = {{1, 2, 0}};
  ASSERT_EQ(run().end, h7::RunEnd::Completed);
  EXPECT_EQ(dir.bytes("out.csv"), kHeaderStart + ",\"\"\"" + sjis("その他") + "\"\"" + sjis("の世帯") +
                                      "\",\"a,b\"\r\n\"13\",\"101\",\"000100\",\"   1,234  \",\r\n");
}

TEST_F(Run, ProgressAndUtf8Output) {
  std::vector<h7::RunProgressInfo> seen;
  in.utf8 = true;
  in.utf8Bom = true;
  auto r = h7::runExtraction(in, [&](const h7::RunProgressInfo& p) { seen.push_back(p); });
  ASSERT_EQ(r.end, h7::RunEnd::Completed);
  ASSERT_GE(seen.size(), 2u);
  const long long size = (long long)dir.bytes("H7S13S1.DAT").size();
  EXPECT_EQ(seen.front().lines, 0);
  EXPECT_EQ(seen.back().lines, 2);
  EXPECT_EQ(seen.back().bytes, size);
  EXPECT_EQ(seen.back().totalBytes, size);
  std::string out = dir.bytes("out.csv");
  EXPECT_EQ(out.substr(0, out.find("\r\n")), "\xEF\xBB\xBF\"県\",\"市区町村\",\"町丁･字等\",\"人口総数\",\"男\",\"女\"");
}

TEST_F(Run, StatsCountValuesWithoutNumber) {
  writeData({record("13", "101", "000100", {"         X", "          ", "         0"}),
             record("13", "102", "000200", {"        **", "       1.5", "    &H"}),
             record("13", "103", "000300", {"         -"})});
  in.stats = true;
  in.itemSets = {{1, 3, 0}, {1, 0, 0}};
  auto r = run();
  ASSERT_EQ(r.end, h7::RunEnd::Completed);
  EXPECT_EQ(r.itemPositions, (std::vector<int>{1, 2, 3, 1}));
  EXPECT_EQ(r.noNumber, (std::vector<long long>{3, 2, 2, 3}));  // a short record's missing fields count too
}

}  // namespace
