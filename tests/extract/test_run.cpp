// The whole run on small files written by the tests: bytes of the output, the counters,
// the item list from the sets, the municipality filter, and one table of failures that
// each leave the earlier output as it was and no temporary file behind.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <map>
#include <numeric>
#include <random>
#include <thread>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/sjis.h"
#include "extract/files.h"
#include "extract/municipality_filter.h"
#include "extract/run.h"
#include "support/record_model.h"
#include "support/testutil.h"

using h7test::sjis;

namespace {

// A census record: 15 filler characters, the three codes, 24 filler, then the fields.
std::string record(const std::string& pref, const std::string& muni, const std::vector<std::string>& fields) {
  std::string r = std::string(15, '9') + pref + muni + "000100" + std::string(24, ' ');
  for (const auto& f : fields) r += f;
  return r;
}

std::string lines(const std::vector<std::string>& ls) {
  std::string all;
  for (const auto& l : ls) all += l + "\r\n";
  return all;
}

std::string quoted(const char* utf8) { return ",\"" + sjis(utf8) + "\""; }

const std::string kHeaderStart = "\"" + sjis("県") + "\",\"" + sjis("市区町村") + "\",\"" + sjis("町丁･字等") + "\"";

class Run : public ::testing::Test {
 protected:
  void SetUp() override {
    progress = nullptr;
    dir.write("NAMEH7S1.CCC", lines({sjis("人口総数"), sjis("男"), sjis("女")}));
    dir.write("NAMEH7S2.CCC", lines({sjis("一般世帯数"), sjis("世帯人員")}));
    writeData({record("13", "101", {"      1234", "     12.50", "         X"}),
               record("13", "102", {"        -7", "          ", "       0.5"})});
    in = {.inputFolder = dir.path(), .outputFile = dir.file("out.csv"), .prefectures = {"13"},
          .nameFolders = {dir.path()}, .itemSets = {{1, 3, 0}}};
  }
  void writeData(const std::vector<std::string>& records, const QString& name = "H7S13S1.DAT") {
    dir.write(name, lines(records));
  }
  h7::RunResult run() { return h7::runExtraction(in, progress); }
  std::string body() const {
    const std::string out = dir.bytes("out.csv");
    return out.substr(out.find("\r\n") + 2);
  }
  bool noTemporaries() const { return QDir(dir.path()).entryList({"*h7tmp*"}, QDir::Files | QDir::Hidden).isEmpty(); }
  // Every entry of the folder: a link's target, or the bytes of a file.
  std::map<QString, std::string> snapshot() const {
    std::map<QString, std::string> all;
    for (const QFileInfo& f : QDir(dir.path()).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
      all[f.fileName()] = f.isSymLink() ? "-> " + f.symLinkTarget().toStdString() : f.isDir() ? "" : dir.bytes(f.fileName());
    return all;
  }

  h7test::ScratchDir dir;
  h7::RunInputs in;
  h7::RunProgress progress;  // called as the run reads
};

TEST_F(Run, WritesHeaderAndRecordsByteForByte) {
  auto r = run();
  ASSERT_EQ(r.end, h7::RunEnd::Completed) << r.message().toStdString();
  EXPECT_EQ(r.message(), h7::msg::completion(3, 2, 3));
  EXPECT_EQ(dir.bytes("out.csv"), kHeaderStart + quoted("人口総数") + quoted("男") + quoted("女") +
                                      "\r\n\"13\",\"101\",\"000100\",      1234,     12.50,         X\r\n"
                                      "\"13\",\"102\",\"000100\",        -7,          ,       0.5\r\n");
  in.numerify = true;
  ASSERT_EQ(run().end, h7::RunEnd::Completed);
  EXPECT_EQ(body(), "\"13\",\"101\",\"000100\",1234,12.5,0\r\n\"13\",\"102\",\"000100\",-7,0,.5\r\n");
  EXPECT_EQ(h7::msg::completion(1361, 100000, 40001), QStringLiteral("正常終了  KCNT= 1361   ICNT=  100000  ,OCNT=  40001"));
  EXPECT_TRUE(noTemporaries());

  // A census file that can only be read once, in order (a pipe), gives the same lines.
  const std::string data = dir.bytes("H7S13S1.DAT");
  QFile::remove(dir.file("H7S13S1.DAT"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file("H7S13S1.DAT")).constData(), 0600), 0);
  std::thread writer([&] { dir.write("H7S13S1.DAT", data); });
  const h7::RunResult piped = run();
  writer.join();
  EXPECT_EQ(piped.message(), h7::msg::completion(3, 2, 3));
  EXPECT_EQ(body(), "\"13\",\"101\",\"000100\",1234,12.5,0\r\n\"13\",\"102\",\"000100\",-7,0,.5\r\n");
}

TEST_F(Run, ItemListFromSets) {
  // Names beyond the file's last line (up to slot 1400) are empty.
  // group, sets, the sets with the run's substitutions, the names part of the header
  const std::tuple<int, std::vector<h7::ItemSet>, std::vector<h7::ItemSet>, std::string> cases[] = {
      {1, {{10, 20, 5}}, {{10, 20, 5}}, ",\"\",\"\",\"\""},
      {1, {{3, 1, -1}}, {{3, 1, -1}}, quoted("女") + quoted("男") + quoted("人口総数")},
      {1, {{2, 0, 0}, {1, 2, 0}}, {{2, 2, 1}, {1, 2, 1}}, quoted("男") + quoted("人口総数") + quoted("男")},
      {1, {{1, 0, 0}, {0, 0, 0}, {3, 0, 0}}, {{1, 1, 1}, {0, 0, 1}, {3, 0, 1}}, quoted("人口総数")},
      {1, {{5, 1, 0}, {2, 0, 0}}, {{5, 1, 1}, {2, 2, 1}}, quoted("男")},  // wrong side: nothing
      {2, {{1361, 0, 0}}, {{1361, 1361, 1}}, ",\"\""},  // position 0: the empty slot 0
      {1, {{1400, 0, 0}}, {{1400, 1400, 1}}, ",\"\""},
  };
  writeData({}, "H7S13S2.DAT");
  for (const auto& [group, sets, after, header] : cases) {
    in.group = group;
    in.itemSets = sets;
    auto r = run();
    ASSERT_EQ(r.end, h7::RunEnd::Completed) << r.message().toStdString();
    EXPECT_EQ(r.itemSets, after);
    EXPECT_EQ(dir.bytes("out.csv").substr(0, dir.bytes("out.csv").find("\r\n")), kHeaderStart + header);
  }
}

TEST_F(Run, EndsAndFailuresKeepTheEarlierOutput) {
  const QString names = dir.file("NAMEH7S1.CCC");  // named in the message: where the program looked
  const auto refused = [](const h7::Failure& why, const QString& path) { return h7::errorMessage(h7::withPath(why, path)); };
  const QString completed = h7::msg::completion(3, 2, 3);
  const struct {
    const char* what;
    std::function<void()> prepare;
    QString message;
    QString warning = {};
  } cases[] = {
      {"no items", [&] { in.itemSets = {{0, 5, 0}, {1, 0, 0}}; }, h7::errorMessage(h7::msg::noItems())},
      {"missing data file", [&] { in.prefectures = {"13", "14"}; },
       h7::errorMessage(h7::withPath(h7::msg::fileNotFound(), dir.file("H7S14S1.DAT")))},
      {"missing folder", [&] { in.inputFolder = dir.file("nowhere"); },
       h7::errorMessage(h7::withPath(h7::msg::pathNotFound(), dir.file("nowhere/H7S13S1.DAT")))},
      {"data file a folder", [&] {
         in.prefectures = {"15"};
         QDir(dir.path()).mkdir("H7S15S1.DAT");
       }, h7::errorMessage(h7::withPath(h7::msg::folderGiven(), dir.file("H7S15S1.DAT")))},
      {"no group", [&] { in.group = 0; }, h7::errorMessage(h7::msg::noGroupSelected())},
      {"missing names", [&] { QFile::remove(names); }, h7::errorMessage(h7::withPath(h7::msg::fileNotFound(), names))},
      {"names a folder", [&] {
         QFile::remove(names);
         QDir(dir.path()).mkdir("NAMEH7S1.CCC");
       }, h7::errorMessage(h7::withPath(h7::msg::folderGiven(), names))},
      {"1401 names", [&] { dir.write("NAMEH7S1.CCC", lines(std::vector<std::string>(1401, "n"))); },
       refused(h7::msg::tooManyNames(1400), names)},
      {"a name of 5000 bytes", [&] { dir.write("NAMEH7S1.CCC", std::string(5000, 'n')); },
       h7::errorMessage(h7::withPath(h7::msg::nameTooLong(), names))},
      {"empty names", [&] { dir.write("NAMEH7S1.CCC", ""); }, h7::msg::completion(0, 2, 3)},
      {"LF line ends", [&] {
         dir.write("NAMEH7S1.CCC", "a\nb\nc\n");
         std::string data = dir.bytes("H7S13S1.DAT");
         dir.write("H7S13S1.DAT", data.erase(data.find('\r'), 1).erase(data.rfind('\r'), 1));
       }, completed},
      {"LF lines glued to CR LF ones", [&] {
         std::string data = lines({record("13", "101", {})});
         for (int i = 0; i < 600; ++i) data += record("13", "102", {"         1"}) + '\n';  // over twice a record's length
         dir.write("H7S13S1.DAT", data);
       }, refused(h7::msg::mixedLineEnds(), h7::msg::atLine(dir.file("H7S13S1.DAT"), 2))},
      {"a line of more than twice a record", [&] { writeData({record("13", "101", {}), record("13", "102", {}) + std::string(30000, ' ')}); },
       completed, h7::msg::longLine(h7::msg::atLine(dir.file("H7S13S1.DAT"), 2))},
      {"data file rewritten while read", [&] {
         progress = [&](const h7::RunProgressInfo&) {
           const timespec epoch[2] = {};
           ::utimensat(AT_FDCWD, QFile::encodeName(dir.file("H7S13S1.DAT")), epoch, 0);
         };
       }, refused(h7::msg::changedWhileRead(), dir.file("H7S13S1.DAT"))},
      {"too many items", [&] { in.itemSets = std::vector<h7::ItemSet>(74, {1, 1361, 0}); },
       h7::errorMessage(h7::msg::tooManyItems(100000))},
      {"position past 1400", [&] { in.itemSets = {{1, 1401, 0}}; }, h7::errorMessage(h7::msg::outOfRange())},
      {"runaway set", [&] { in.itemSets = {{1, 9e99, 0}}; }, h7::errorMessage(h7::msg::outOfRange())},
      {"code overflow", [&] {
         in.municipalityFilter = true;
         in.municipalities = {{100, 999}};
         writeData({record("13", "101", {}), record("13", "1E5", {})});
       }, refused(h7::msg::overflowInCode(), h7::msg::atLine(dir.file("H7S13S1.DAT"), 2))},
      {"value overflow", [&] {
         in.numerify = true;
         writeData({record("13", "101", {"         1", "     1E999"})});
       }, refused(h7::msg::overflowInItem(2), h7::msg::atLine(dir.file("H7S13S1.DAT"), 1))},
      {"output empty", [&] { in.outputFile = ""; }, h7::errorMessage(h7::msg::badPathName())},
      {"output folder missing", [&] { in.outputFile = dir.file("missing/out.csv"); },
       refused(h7::msg::pathNotFound(), dir.file("missing/out.csv"))},
      {"output a folder", [&] { in.outputFile = dir.path(); }, refused(h7::msg::folderGiven(), dir.path())},
      {"output the data file", [&] { in.outputFile = dir.file("H7S13S1.DAT"); },
       refused(h7::msg::namedLikeInput(), dir.file("H7S13S1.DAT"))},
      {"output named like a census file", [&] { in.outputFile = dir.file("h7sTTs3.dat"); },
       refused(h7::msg::namedLikeInput(), dir.file("h7sTTs3.dat"))},
      {"output named like a compressed name file", [&] { in.outputFile = dir.file("NameH7S2.ccc.Gz"); },
       refused(h7::msg::namedLikeInput(), dir.file("NameH7S2.ccc.Gz"))},
      {"output a link to a census file's name", [&] {
         QFile::remove(in.outputFile);
         ::symlink("H7S14S1.DAT", QFile::encodeName(in.outputFile).constData());
       }, refused(h7::msg::namedLikeInput(), dir.file("out.csv"))},
      {"output the same file as an unused census file", [&] {
         writeData({}, "H7S13S2.DAT");
         QFile::remove(in.outputFile);
         ::link(QFile::encodeName(dir.file("H7S13S2.DAT")).constData(), QFile::encodeName(in.outputFile).constData());
       }, refused(h7::msg::sameAsInput(), dir.file("H7S13S2.DAT"))},
      {"output read-only", [&] { ::chmod(QFile::encodeName(in.outputFile).constData(), 0444); },
       refused(h7::msg::cannotWrite(), dir.file("out.csv"))},
      {"output a full device", [&] { in.outputFile = "/dev/full"; }, refused(h7::msg::diskFull(), "/dev/full")},
      {"an output name of 255 bytes", [&] { in.outputFile = dir.file(QString(251, u'n') + ".csv"); }, completed},
      {"temporary names taken", [&] {
         for (unsigned serial = 0; serial < 200; ++serial) dir.write(h7::temporaryName("out.csv", ::getpid(), serial), "");
       }, completed},
  };
  for (const auto& c : cases) {
    QDir(dir.path()).removeRecursively();
    QDir().mkpath(dir.path());
    SetUp();
    dir.write("out.csv", "earlier");
    c.prepare();
    std::map<QString, std::string> before = snapshot();
    auto r = run();
    const h7::RunEnd end = c.message.startsWith(u'正') ? h7::RunEnd::Completed
                           : c.message == h7::errorMessage(h7::msg::noItems()) ? h7::RunEnd::NoItems
                                                               : h7::RunEnd::Failed;
    EXPECT_EQ(r.message(), c.message) << c.what;
    EXPECT_EQ(r.warnings.join(u'\n'), c.warning) << c.what;
    EXPECT_EQ(r.end, end) << c.what;
    std::map<QString, std::string> after = snapshot();  // nothing changed but a completed output, no temporary left
    if (end == h7::RunEnd::Completed) before.erase(QFileInfo(in.outputFile).fileName()), after.erase(QFileInfo(in.outputFile).fileName());
    EXPECT_EQ(after, before) << c.what;
  }
}

// Double-byte characters anywhere in a record (an area name in front of the fields, a
// value among them early or late in a long line) give the lines of the plain rule.
TEST_F(Run, DoubleByteCharactersAnywhere) {
  const std::vector<std::string> fields(40, "        17");
  std::vector<std::string> early = fields, late = fields;
  early[1] = late[36] = "        " + sjis("秘匿");
  std::string named = record("13", "101", fields);
  named.replace(26, 24, sjis("本町１丁目") + std::string(19, ' '));
  const std::vector<std::string> records = {named, record("13", "102", early), record("13", "103", late)};
  writeData(records);
  in.itemSets = {{1, 40, 0}};
  std::vector<int> positions(40);
  std::iota(positions.begin(), positions.end(), 1);
  for (bool numerify : {false, true}) {
    in.numerify = numerify;
    ASSERT_EQ(run().end, h7::RunEnd::Completed);
    std::string expected;
    for (const std::string& r : records) expected += *h7test::plainRecordLine(r, positions, numerify);
    EXPECT_EQ(body(), expected) << numerify;
  }
}

// The key column and the long form, raw and numerified, through the municipality filter;
// a raw value with a comma or a line feed quoted in the long form too.
TEST_F(Run, KeyAndLongForms) {
  writeData({record("13", "101", {"      1234", "  1,234   "}), record("13", "102", {"  a\nb     ", "         X"})});
  in.itemSets = {{2, 0, 0}, {1, 0, 0}};
  in.municipalityFilter = true;
  in.municipalities = {{102, 102}};
  const std::string codes = "\"13\",\"102\",\"000100\",", key = "\"13102000100\"," + codes;
  const std::tuple<bool, bool, bool, std::string, long long> cases[] = {  // key, long, numerify, body, OCNT
      {true, false, false, key + "         X,\"  a\nb     \"\r\n", 2},
      {false, true, false, codes + "2,\"" + sjis("男") + "\",         X\r\n" + codes + "1,\"" + sjis("人口総数") + "\",\"  a\nb     \"\r\n", 3},
      {true, true, true, key + "2,\"" + sjis("男") + "\",0\r\n" + key + "1,\"" + sjis("人口総数") + "\",0\r\n", 3},
  };
  for (const auto& [withKey, longForm, numerify, expected, lines] : cases) {
    std::tie(in.key, in.longForm, in.numerify) = std::tuple(withKey, longForm, numerify);
    EXPECT_EQ(run().OCNT, lines);
    EXPECT_EQ(body(), expected);
    EXPECT_EQ(dir.bytes("out.csv").find("\"KEY_CODE\",\"") == 0, withKey);
  }
}

// Ranges tried in order, both bounds inclusive, up to the first of first code 0; a last code
// of 0 is not filled in. A code is read as a number, halves rounded to even.
TEST(MunicipalityFilter, RangesInOrder) {
  const std::vector<h7::MunicipalityRange> ranges = {{101, 105}, {201, 201}, {0, 0}, {2, 2}};
  for (auto [code, kept] : {std::pair{100, false}, {101, true}, {105, true}, {106, false}, {201, true}, {2, false}})
    EXPECT_EQ(h7::acceptsMunicipality(ranges, std::int16_t(code)), kept) << code;
  EXPECT_FALSE(h7::acceptsMunicipality(std::vector<h7::MunicipalityRange>{{100, 0}}, 100));
  EXPECT_EQ(h7::municipalityCode("1.5"), 2);
  EXPECT_EQ(h7::municipalityCode("   "), 0);
  EXPECT_FALSE(h7::municipalityCode("1E5"));
}

TEST_F(Run, ProgressUtf8AndStats) {
  writeData({record("13", "101", {"         X", "          ", "         0"}),
             record("13", "102", {"        **", "       1.5", "    &H"}), record("13", "103", {"         -"})});
  std::vector<h7::RunProgressInfo> seen;
  in.utf8 = in.utf8Bom = in.stats = true;
  in.itemSets = {{1, 3, 0}, {1, 0, 0}};
  auto r = h7::runExtraction(in, [&](const h7::RunProgressInfo& p) { seen.push_back(p); });
  ASSERT_EQ(r.end, h7::RunEnd::Completed);
  const long long size = (long long)dir.bytes("H7S13S1.DAT").size();
  EXPECT_EQ(std::tuple(seen.front().lines, seen.back().lines, seen.back().bytes, seen.back().totalBytes),
            std::tuple(0ll, 3ll, size, size));
  EXPECT_EQ(dir.bytes("out.csv").substr(0, 85), "\xEF\xBB\xBF\"県\",\"市区町村\",\"町丁･字等\",\"人口総数\",\"男\",\"女\",\"人口総数\"\r\n");
  EXPECT_EQ(r.itemPositions, (std::vector<int>{1, 2, 3, 1}));
  EXPECT_EQ(r.noNumber, (std::vector<long long>{3, 2, 2, 3}));  // a short record's missing fields count too
}

// A temporary file of a run whose process is gone (killed mid-way), SQLite's -journal beside
// it too, goes with the next run into its folder; one of a live process, of another host or
// user, one of the earlier form ".NAME.h7tmp-HOST-PID-N", and every other file, stay. Names
// are short whatever the output's.
TEST_F(Run, StaleTemporariesOfDeadRunsGo) {
  const QString dead = h7::temporaryName("old.csv", 999999999, 0), host = dead.section(u'-', 2, -3);
  QStringList kept = {h7::temporaryName("old.csv", ::getpid(), 7), ".h7tmp-0badcafe-elsewhere-999999999-0",
                      ".old.csv.h7tmp-" + host + "-999999999-0", "notes.txt"};
  const QString theirs = h7::temporaryName("x", 999999998, 1);  // another user's, where root can make one
  if (::geteuid() == 0) kept << theirs;
  for (const QString& name : kept + QStringList{dead, dead + "-journal"}) dir.write(name, "x");
  ::chown(QFile::encodeName(dir.file(theirs)).constData(), 65534, 65534);
  ASSERT_EQ(run().end, h7::RunEnd::Completed);
  for (const QString& name : kept) EXPECT_TRUE(QFile::exists(dir.file(name))) << name.toStdString();
  EXPECT_FALSE(QFile::exists(dir.file(dead)) || QFile::exists(dir.file(dead + "-journal")));
  EXPECT_LE(h7::temporaryName(QString(255, u'n'), 4194304, 4294967295u).size(), 64);
}

// A header of many long names, re-encoded to UTF-8 in slices that never cut a character:
// the Shift-JIS output decoded, with and without the byte order mark.
TEST_F(Run, LongHeaderInEveryEncoding) {
  std::string name;
  for (int i = 0; i < 2048; ++i) name += sjis("ア");  // a trail byte 0x41 that looks like 'A'
  dir.write("NAMEH7S1.CCC", lines(std::vector<std::string>(1400, name)));
  in.itemSets = {{1, 1400, 0}, {1, 1400, 0}};  // 11 MB of names
  ASSERT_EQ(run().end, h7::RunEnd::Completed);
  const QByteArray utf8 = h7::sjis::decode(dir.bytes("out.csv")).toUtf8();
  for (bool bom : {false, true}) {
    in.utf8 = true, in.utf8Bom = bom;
    ASSERT_EQ(run().end, h7::RunEnd::Completed);
    std::string expected = bom ? "\xEF\xBB\xBF" : "";
    expected += utf8.toStdString();
    EXPECT_TRUE(dir.bytes("out.csv") == expected) << bom;
  }
}

// A long-form record that fails leaves none of its lines in an output written as it goes.
TEST_F(Run, FailedLongFormStopsAtTheLastWholeRecord) {
  writeData({record("13", "101", {"         1", "         2"}), record("13", "102", {"         3", "     1E999"})});
  std::tie(in.longForm, in.numerify) = std::tuple(true, true);
  const int fd = ::open(QFile::encodeName(dir.file("stream.csv")), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  in.outputDescriptor = fd;
  EXPECT_EQ(run().end, h7::RunEnd::Failed);
  ::close(fd);
  const std::string out = dir.bytes("stream.csv");
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 4);  // the header and the first record's three
  EXPECT_EQ(out.find("\"102\""), std::string::npos);
}

// Two workers and tiny chunks give the bytes, counts and failures of one pass; several
// prefectures make one output.
TEST_F(Run, ParallelAsOnePass) {
  std::mt19937 rng(11);
  std::string fields, file;
  for (int k = 0; k < 3000; ++k) fields += std::to_string(1000000000 + rng() % 100000000);  // 10 digits each
  for (int i = 0; i < 400; ++i)
    file += record("13", i % 3 ? "120" : "200", {fields.substr(i * 10, 200)}) + (i % 3 == 1 ? "\r" : "\r\n");
  dir.write("H7S14S1.DAT", lines(std::vector<std::string>(30, record("14", "130", {fields.substr(0, 200)}))));
  in.prefectures = {"13", "14"};
  in.numerify = in.municipalityFilter = true;
  in.itemSets = {{1, 20, 3}, {2, 0, 0}};
  in.municipalities = {{101, 150}};
  // Then a failure in a late chunk: the same message and counts, the earlier output kept.
  const std::pair<std::string, long long> cases[] = {  // data, lines read
      {file, 430}, {file + record("13", "1E5", {}) + "\r\nx\r\n", 401}, {file + record("13", "120", {"     1E999"}) + "\r\nx\r\n", 401}};
  for (const auto& [data, read] : cases) {
    dir.write("H7S13S1.DAT", data);
    in.outputFile = dir.file("one.csv");
    std::tie(in.threads, in.chunkBytes) = std::tuple(0, 1 << 20);
    const h7::RunResult one = run();
    EXPECT_EQ(one.ICNT, read);
    for (std::size_t chunk : {500, 1001, 4096}) {
      dir.write("many.csv", "earlier");
      in.outputFile = dir.file("many.csv");
      in.threads = 2;
      in.chunkBytes = chunk;
      const h7::RunResult many = run();
      EXPECT_EQ(many.message(), one.message()) << chunk;
      EXPECT_EQ(many.ICNT, one.ICNT) << chunk;
      EXPECT_EQ(dir.bytes("many.csv"), one.end == h7::RunEnd::Completed ? dir.bytes("one.csv") : "earlier") << chunk;
    }
  }
}

}  // namespace
