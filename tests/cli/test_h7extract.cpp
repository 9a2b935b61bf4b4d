#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "support/archive_pack.h"
#include "cli/cli_run.h"
#include "cli/extract_arguments.h"
#include "cli/program_entry.h"
#include "core/command_line.h"
#include "core/numeric.h"
#include "extract/run.h"
#include "support/testutil.h"

namespace {

using h7test::Ran;
using h7test::run;
using H7Extract = h7test::H7ExtractTest;

TEST_F(H7Extract, SameBytesAsTheCoreRun) {
  h7::RunInputs in{.inputFolder = dir.path(), .outputFile = dir.file("core.csv"), .prefectures = {"13"},
                   .nameFolders = {H7_BIN_DIR}, .itemSets = {{1, 991, 10}, {5, 0, 0}, {3, 4, 0}},
                   .municipalityFilter = true, .municipalities = {{101, 105}, {201, 201}}};
  for (bool numerify : {false, true}) {
    QStringList args = base("1-991:10,5,3-4") << "--municipalities" << "101-105,201";
    Ran r = run("h7extract", numerify ? args + QStringList{"--numerify"} : args);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    in.numerify = numerify;
    const h7::RunResult core = h7::runExtraction(in);
    EXPECT_EQ(r.err, core.message() + '\n');
    EXPECT_EQ(dir.bytes("out.csv"), dir.bytes("core.csv"));
    args[args.indexOf("--output") + 1] = "-";  // standard output: the same bytes
    EXPECT_EQ(run("h7extract", numerify ? args + QStringList{"--numerify"} : args).out.toStdString(), dir.bytes("core.csv"));
  }
  // A run into standard output that fails on its second record stops after the first one's line.
  const std::string data = dir.bytes("H7S13S1.DAT"), first = data.substr(0, data.find("\r\n") + 2);
  dir.write("H7S13S1.DAT", first + std::string(first).replace(50, 10, "     1E999"));
  const Ran failed = run("h7extract", with(base("1-3"), "--output", "-") << "--numerify" << "--key");
  EXPECT_EQ(std::tuple(failed.status, failed.out.count("\r\n"), failed.out.endsWith("\r\n")), std::tuple(1, 2, true));
  QProcess closed;  // standard output closed: the message names it
  closed.start("bash", QStringList{"-c", "exec >&-; exec \"$0\" \"$@\"", H7_BIN_DIR "/h7extract"} + with(base("1"), "--output", "-"));
  ASSERT_TRUE(closed.waitForFinished(60000));
  EXPECT_EQ(QString::fromUtf8(closed.readAllStandardError()), h7::errorMessage(h7::withPath(h7::msg::badDescriptor(), h7::msg::standardOutput())) + '\n');
  EXPECT_EQ(closed.exitCode(), 1);
}

// Each failure leaves the earlier output and the census file as they were.
TEST_F(H7Extract, ExitStatusAndMessages) {
  std::string names;  // a name file of 1400 lines, the last past group 1's items
  for (int i = 1; i < 1400; ++i) names += "n\r\n";
  dir.write("NAMEH7S1.CCC", names + "past\r\n");
  const QString data = dir.file("H7S13S1.DAT"), tokyo = dir.file("\\x93\\x8c\\x8b\\x9e");  // 東京 in Shift-JIS bytes
  const QByteArray tokyoBytes = QFile::encodeName(dir.path()) + "/\x93\x8c\x8b\x9e";
  ASSERT_EQ(::mkdir(tokyoBytes, 0700) | ::link(QFile::encodeName(data), tokyoBytes + "/H7S13S1.DAT"), 0);
  const QStringList sample = {"--data", "--out", dir.path(), "--pref", "13", "--group", "1", "--records", "120"};
  // Item-name files in a folder the look-up searches besides --names: a copy of h7extract's
  // own folder, and the user's data folder; and a file linked to one of them.
  const QString program = dir.file("program/h7extract"), own = dir.file("program/NAMEH7S2.CCC");
  const QString users = dir.file("data/h7select/NAMEH7S3.CCC"), linked = dir.file("linked.csv");
  ASSERT_TRUE(QDir().mkpath(dir.file("program")) && QDir().mkpath(dir.file("data/h7select")));
  for (const char* file : {"h7extract", H7EXTRACT_LIBRARY})
    ASSERT_TRUE(QFile::copy(H7_BIN_DIR "/" + QString(file), dir.file("program/") + file));
  dir.write("program/NAMEH7S2.CCC", "own\r\n");
  dir.write("data/h7select/NAMEH7S3.CCC", "user's\r\n");
  ASSERT_EQ(::link(QFile::encodeName(users), QFile::encodeName(linked)), 0);
  const QStringList namesBuilt = {"--names", H7_BIN_DIR}, userData = {"XDG_DATA_HOME=" + dir.file("data")};
  const auto refused = [](const QString& path) { return h7::errorMessage(h7::withPath(h7::msg::sameAsInput(), path)); };
  const struct {
    QStringList args;
    int status;
    QString err;  // its start
    QString program = "h7extract";
    QString appendOutputTo = {};  // standard output appended to this file
    QStringList environment = {};
  } cases[] = {
      {{"--bogus"}, 2, "不明なオプションです: --bogus"},
      {{"--input"}, 2, "--input に値がありません。"},
      {{"--group", "4"}, 2, "--group には 1、2 または 3"},
      {with(base("1"), "--pref", "48"), 2, h7::errorMessage(h7::msg::badPrefecture())},
      {base("2000"), 2, h7::errorMessage(h7::msg::aboveLargestItem())},
      {base("1,"), 2, "--items の形式が正しくありません"},
      {base("1abc"), 2, "--items の形式が正しくありません: 1abc\n'h7extract --help'"},
      {with(base("1"), "--municipalities", "99"), 2, h7::errorMessage(h7::msg::unknownMunicipality())},
      {with(base("1"), "--municipalities", "abc"), 2, "--municipalities の形式が正しくありません: abc"},
      {with(base("1"), "--municipalities", "0"), 2, h7::errorMessage(h7::msg::noRanges("0"))},
      {with(base("1"), "--pref", "5.5-7"), 2, "--pref の形式が正しくありません: 5.5-7"},
      {base("0,5"), 1, h7::errorMessage(h7::msg::noItems())},
      {with(base("1"), "--pref", "５"), 1, h7::errorMessage(h7::withPath(h7::msg::fileNotFound(), dir.file("H7S05S1.DAT")))},  // 05
      {with(with(base("1362"), "--pref", "all"), "--group", "2"), 1, h7::errorMessage(h7::msg::fileNotFound())},
      {base("１-３"), 0, "正常終了"},
      {with(base("1"), "--items-matching", "85"), 0, "正常終了"},  // widened: the names hold ８５
      {with(base("0"), "--items-matching", "85"), 0, "正常終了"},    // a FIRST of 0 ends --items only
      {with(base("1"), "--items-matching", "zzz"), 2, h7::errorMessage(h7::msg::nothingMatches("zzz"))},
      {with(base("1"), "--items-matching", " "), 2, "--items-matching に名称の一部を指定してください。"},
      {with(base("1"), "--items-matching", "past") << "--names" << dir.path(), 2, h7::errorMessage(h7::msg::nothingMatches("past"))},  // line 1400 only
      {with(with(base("1"), "--items-matching", "x"), "--names", dir.file("none")), 1, h7::errorMessage(h7::msg::fileNotFound())},
      {{"--input=" + dir.path(), "--output=" + dir.file("o.csv"), "--pref=13", "--group=1", "--items=1"}, 0, "正常終了"},
      {{"--list-items", "--group", "1", "--names", dir.file("none")}, 1, h7::itemListMessage(h7::withPath(h7::msg::fileNotFound(), dir.file("none/NAMEH7S1.CCC")))},
      {{"--list-items", "--group", "1", "--long"}, 2, "--long と --list-items は一緒に指定できません。"},
      {base("1") << "--filter" << "x", 2, "--filter は --list-items と一緒に指定してください。"},
      {base("1") << "--utf8" << "--utf8-bom", 2, "--utf8 と --utf8-bom は一緒に指定できません。"},
      {base("1") << "--group" << "2", 2, "--group が異なる値で 2 回指定されています。"},
      // Numbers of every option read alike; an option given twice with values that select the same.
      {with(base("1"), "--group", "１"), 0, h7::msg::completion(1361, 120, 121)},
      {with(base("1"), "--group", " 01 ") << "--group" << "1", 0, h7::msg::completion(1361, 120, 121)},
      {base("1") << "--pref" << "１３,13", 0, h7::msg::completion(1361, 120, 121)},
      {base("1-3") << "--items" << "1,2-3:1", 0, h7::msg::completion(1361, 120, 121)},
      {base("1,2") << "--items" << "2,1", 2, h7::msg::givenTwice("--items").description},
      {with(sample, "--group", "１") << "--group" << " 1 ", 0, QString(), "h7sample"},
      {sample + QStringList{"--group", "2"}, 2, "h7sample: " + h7::msg::sample::givenTwice("--group").description, "h7sample"},
      // A search key that is no UTF-8 shown as paths are.
      {with(base("1"), "--items-matching", "\\xff\\x93"), 2, h7::errorMessage(h7::msg::nothingMatches("\\xFF\\x93"))},
      {with(base("1"), "--items-matching", "\\x1b[2J"), 2, h7::errorMessage(h7::msg::nothingMatches("\\x1B[2J"))},
      // No output onto an item-name file of any folder the look-up searches, --names or not.
      {with(base("1"), "--output", "-") << namesBuilt, 1, refused(own), program, own},
      {with(base("1"), "--output", "-") << namesBuilt, 1, refused(users), "h7extract", users, userData},
      {with(base("1"), "--output", linked) << namesBuilt, 1, refused(users), "h7extract", {}, userData},
      {base("1") << "--group" << "1" << "--names" << "", 2, "--names に値がありません。"},
      {base("1") << "--" << "--key", 2, "余分な引数です: --key"},
      {base(QStringList(74, "1-1361").join(',')), 2, h7::errorMessage(h7::msg::tooManyItems(100000))},
#ifndef H7_MAP
      {base("1") << "--boundaries" << "b.gpkg", 2, "--boundaries は使えません: 地図出力（GDAL）なしで"},
#endif
      {with(base("1"), "--output", "-"), 1, h7::errorMessage(h7::withPath(h7::msg::sameAsInput(), data)), "h7extract", data},
      {with(with(base("1"), "--input", tokyo), "--output", tokyo + "/out.csv"), 0, "正常終了"},
      {with(with(with(base("1"), "--input", tokyo), "--pref", "all"), "--output", tokyo + "/no/o.csv"), 1,
       h7::errorMessage(h7::withPath(h7::msg::pathNotFound(), h7::fromNativeBytes(QFile::encodeName(dir.path()) + "/\x93\x8c\x8b\x9e/no/o.csv")))},
      {sample, 0, QString(), "h7sample"},  // the same bytes again
      {sample + QStringList{"--seed", "2"}, 1, "h7sample: " + data + " exists and holds other bytes", "h7sample"},
      {sample + QStringList{"--seed", "2", "--force"}, 0, QString(), "h7sample"},  // last: it changes the census file
  };
  for (const auto& c : cases) {
    dir.write("out.csv", "earlier");
    const std::string before = dir.bytes("H7S13S1.DAT");
    Ran r = run(c.program, c.args, c.appendOutputTo, c.environment);
    EXPECT_EQ(r.status, c.status) << c.args.join(' ').toStdString() << ": " << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith(c.err)) << c.args.join(' ').toStdString() << ": " << r.err.toStdString();
    if (c.status == 0) continue;
    EXPECT_EQ(dir.bytes("out.csv"), "earlier") << c.args.join(' ').toStdString();
    EXPECT_EQ(dir.bytes("H7S13S1.DAT"), before) << c.args.join(' ').toStdString();
    EXPECT_EQ(std::pair(dir.bytes("program/NAMEH7S2.CCC"), dir.bytes("data/h7select/NAMEH7S3.CCC")), std::pair(std::string("own\r\n"), std::string("user's\r\n")))
        << c.args.join(' ').toStdString();
  }
  for (const char* name : {"/out.csv", "/H7S13S1.DAT"}) ::unlink(tokyoBytes + name);
  ::rmdir(tokyoBytes);  // a name Qt cannot remove
}

// Memory stays flat however much output a small input makes: empty lines each make a
// row of empty fields, a pipe is read and written in pieces, an item list can be long.
TEST_F(H7Extract, MemoryBoundedOnAnyInput) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "sanitizers keep memory of their own";
#endif
  auto repeat = [](const std::string& piece, std::size_t times) {
    std::string all;
    while (times--) all += piece;
    return all;
  };
  const std::string cr(1 << 20, '\r');
  const std::string longNames = repeat(repeat(h7test::sjis("ア"), 2048) + "\r\n", 1361);  // 4 KiB each
  const struct {
    const char* what;
    std::string data;  // empty: h7sample's
    QString items = "1-1361";
    QStringList extra;
    bool pipe = false;
    std::string names = {};  // when set, the item-name file in the data folder
    std::size_t zipped = 0;  // when set, the data this many times over in a zip archive, the archive the input
  } cases[] = {
      {"70 times every item", "", QStringList(70, "1-1361").join(',')},  // first, on h7sample's data
      {"CR LF lines", repeat("\r\n", 1 << 19)},
      {"CR lines", cr},
      {"CR lines, long form", cr.substr(0, 10000), "1-1361", {"--long"}},
      {"CR LF lines, long form", repeat("\r\n", 20000), "1-1361", {"--long"}},
      {"CR LF lines, long form, names of 4 KiB", repeat("\r\n", 2000), "1-1361", {"--long", "--names", dir.path()}, false, longNames},
      {"CR LF lines through a pipe", repeat("\r\n", 1 << 19), "1-1361", {}, true},
      {"a zip member of 32 MiB, 1000 times smaller packed", repeat("\r\n", 1 << 10), "1", {}, false, {}, 1 << 14},
  };
  for (const auto& c : cases) {
    if (!c.names.empty()) dir.write("NAMEH7S1.CCC", c.names);
    if (!c.data.empty() && !c.zipped) {
      QFile::remove(dir.file("H7S13S1.DAT"));
      if (c.pipe) {
        ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file("H7S13S1.DAT")).constData(), 0600), 0);
      }
    }
    std::thread writer([&] { if (!c.data.empty() && !c.zipped) dir.write("H7S13S1.DAT", c.data); });
    if (!c.pipe) writer.join();
    QStringList args = base(c.items) << "--quiet" << c.extra;
    args[args.indexOf("--output") + 1] = "/dev/null";
    if (c.zipped) h7test::pack(dir.file("data.zip"), "zip", "none", {{"H7S13S1.DAT", c.data, c.zipped}}), args[1] = dir.file("data.zip");
    const Ran r = run("h7extract", args);
    if (c.pipe) writer.join();
    EXPECT_EQ(r.status, 0) << c.what << ": " << r.err.toStdString();
    rusage children{};
    ::getrusage(RUSAGE_CHILDREN, &children);  // the largest child so far
    EXPECT_LE(children.ru_maxrss, 64 * 1024) << c.what;
  }
}

// A run held on a pipe that its writer keeps open: a CSV run maps no GDAL library, a map run
// does. SIGINT, SIGTERM or SIGHUP removes the temporary (a map's too: the writer's) and ends
// the program by the signal (the shell's status 128 + N).
TEST_F(H7Extract, HeldRunsAndSignals) {
  const QByteArray pipe = QFile::encodeName(dir.file("H7S14S1.DAT"));
  ASSERT_EQ(::mkfifo(pipe, 0600), 0);
  const int writer = ::open(pipe, O_RDWR | O_NONBLOCK);  // open for writing all along: the run waits for more
  const std::string records = dir.bytes("H7S13S1.DAT").substr(0, 20000);
  char unread[65536];  // what a run killed early left in the pipe, taken out before the next
  ASSERT_EQ(run("h7sample", {"--data", "--boundaries", "--out", dir.file("m"), "--pref", "13", "--group", "1", "--records", "9"}).status, 0);
  const auto temporaries = [&] { return QDir(dir.path()).entryList({".h7tmp-*"}, QDir::Files | QDir::Hidden); };
  const std::pair<int, QString> cases[] = {{SIGTERM, "out.csv"}, {SIGINT, "out.gpkg"}, {SIGTERM, "out.gpkg"}, {SIGHUP, "out.gpkg"}};
  for (const auto& [signal, output] : cases) {
    const bool map = output.endsWith("gpkg");
    ::signal(signal, SIG_DFL);  // as a terminal gives it to the program (nohup would ignore SIGHUP)
    dir.write(output, "earlier");
    ASSERT_EQ(::write(writer, records.data(), records.size()), ssize_t(records.size()));
    QProcess p;
    const QStringList args = with(with(base("1-9"), "--pref", "14"), "--output", dir.file(output));
    p.start(H7_BIN_DIR "/h7extract", map ? args + QStringList{"--boundaries", dir.file("m/boundaries.gpkg")} : args);
    for (int wait = 0; wait < 3000 && temporaries().isEmpty(); ++wait) QThread::msleep(10);
    ASSERT_EQ(temporaries().size(), 1) << signal;
    const auto gdalMapped = [&] {  // the module is loaded after the temporary is made: a map run is waited for
      QFile maps(QStringLiteral("/proc/%1/maps").arg(p.processId()));
      return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libgdal");
    };
    for (int wait = 0; map && wait < 3000 && !gdalMapped(); ++wait) QThread::msleep(10);
    EXPECT_EQ(gdalMapped(), map) << output.toStdString();
    ::kill(pid_t(p.processId()), signal);
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(std::tuple(p.exitStatus(), p.exitCode()), std::tuple(QProcess::CrashExit, signal));
    EXPECT_EQ(std::tuple(temporaries().size(), dir.bytes(output)), std::tuple(0, std::string("earlier"))) << signal;
    while (::read(writer, unread, sizeof unread) > 0) {
    }
  }
  ::close(writer);
}

TEST_F(H7Extract, HelpAndListItems) {
  EXPECT_EQ(QString::fromUtf8(run("h7extract", {"--help"}).out), h7::msg::extractHelp());
  EXPECT_TRUE(run("h7extract", {"--version"}, {}, {"H7_KERNEL= Scalar"}).out.contains("kernel: scalar"));
  // A bare --version is answered by the start, which loads no Qt; another, by the program alike.
  const Ran bare = run("h7extract", {"--version"}), full = run("h7extract", {"--quiet", "--version"});
  EXPECT_EQ(std::tuple(bare.status, bare.out, bare.err), std::tuple(0, full.out, QString()));
  const Ran refused = run("h7extract", {"--version"}, {}, {"H7_KERNEL=avx1024"});  // refused at start
  EXPECT_EQ(std::pair(refused.status, refused.err), std::pair(2, h7::msg::unknownKernel("avx1024", "scalar, avx2, avx512").description + '\n'));
  EXPECT_EQ(run("h7extract", {"--list-items", "--group", "2"}).out.count('\n'), 1014);
  // A half-width key is widened and trimmed: it finds full-width text only.
  const QList<QByteArray> found = run("h7extract", {"--list-items", "--group", "1", "--filter", " 85 "}).out.trimmed().split('\n');
  EXPECT_GT(found.size(), 1);
  for (const QByteArray& row : found) EXPECT_TRUE(row.contains("８５")) << row.toStdString();
}

// The bytes of a path survive its text form: UTF-8 decoded, every other byte kept as U+DC80 + byte.
TEST(H7ExtractArguments, PathBytesSurviveAsText) {
  const std::pair<QByteArray, int> cases[] = {  // bytes, how many of them are no UTF-8
      {"a/\xE6\x9D\xB1", 0}, {"\x93\x8C\x8B\x9E", 4}, {"\xE0\xA0\x80", 0}, {"\xE0\x9F\xBF", 3}, {"\xED\xB2\x93", 3},
      {"\xF0\x90\x80\x80", 0}, {"\xF4\x90\x80\x80", 4}, {"\xC1\xBF", 2}, {"a\xE3\x81", 2}, {"\xED\x9F\xBF", 0}};
  for (const auto& [bytes, kept] : cases) {
    const QString text = h7::fromNativeBytes(bytes);
    EXPECT_EQ(h7::toNativeBytes(text), bytes) << bytes.toHex().toStdString();
    EXPECT_EQ(std::count_if(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF; }), kept)
        << bytes.toHex().toStdString();
  }
}

// Numbers are digits only (full-width ones welcome); prefecture lists come out in order,
// each once.
TEST(H7ExtractArguments, ItemSetsAndPrefectures) {
  auto value = [](const auto& r) { return r ? std::optional(*r) : std::nullopt; };
  using Sets = std::optional<std::vector<h7::ItemSet>>;
  const std::pair<QString, Sets> sets[] = {
      {"1-991:10", Sets{{{1, 991, 10}}}}, {"１２－２０：２", Sets{{{12, 20, 2}}}}, {" 20 - 30 , 1", Sets{{{20, 30, 0}, {1, 0, 0}}}},
      {"", std::nullopt},   {"1,,2", std::nullopt}, {"1:", std::nullopt},   {"1abc", std::nullopt},
      {"1.9", std::nullopt}, {"&H10", std::nullopt}, {"-5-3", std::nullopt}, {"20-10:-5", std::nullopt},
      {"1-2-3", std::nullopt}, {"1:2:3", std::nullopt}, {"1e3", std::nullopt},
  };
  for (const auto& [text, parsed] : sets) EXPECT_EQ(value(h7::cli::parseItemSets(text)), parsed) << text.toStdString();
  using List = std::optional<h7::cli::PrefectureList>;
  const std::pair<QString, List> prefectures[] = {
      {"５", List{{{"05"}}}}, {"01-03,13", List{{{"01", "02", "03", "13"}}}}, {"TT,13", List{{{"13", "TT"}}}},
      {"14,13,13", List{{{"13", "14"}}}}, {"48", std::nullopt}, {"14-13", std::nullopt}, {"13,", std::nullopt},
      {"TT-13", std::nullopt}, {"5.5-7", std::nullopt}, {"05-06-07", std::nullopt}, {"1e1", std::nullopt},
      {"all", List{{{}, true}}}, {"TT, All", List{{{"TT"}, true}}}, {"ａｌｌ,14-13", std::nullopt}, {"all-13", std::nullopt},
  };
  for (const auto& [text, parsed] : prefectures) EXPECT_EQ(value(h7::cli::parsePrefectures(text)), parsed) << text.toStdString();
}

// Two values of one option are one when they select the same: numbers by value, prefecture and
// municipality lists as sets, item sets as the items in output order, search keys as searched.
TEST(H7ExtractArguments, ValuesGivenTwice) {
  const std::tuple<QString, QString, QString, bool> cases[] = {  // option, two values, the same?
      {"group", "3", "３", true},   {"group", " 3 ", "003", true}, {"group", "3", "2", false},
      {"group", "x", "x", true},    {"pref", "13,14", "14,13", true}, {"pref", "13-14", "14,１３,13", true},
      {"pref", "all,13", "13,ALL", true}, {"pref", "all", "all,TT", false}, {"pref", "13", "13,14", false},
      {"items", "1-3", "1,2,3", true}, {"items", "1-5:2", "1,3-5:2,0,9", true}, {"items", "2,1", "1,2", false},
      {"items", "1", "1-1:0", true}, {"items", "1-10", "1-9", false},
      {"municipalities", "101-105,103-110", "101-110", true}, {"municipalities", "101,102", "102-101", false},
      {"municipalities", "101-102,104", "101-104", false}, {"items-matching", "85", " ８５", true},
      {"output", "a.csv", "ａ.csv", false}, {"names", "x", "x ", false},
  };
  for (const auto& [option, a, b, same] : cases)
    EXPECT_EQ(h7::cli::comparable(option, a) == h7::cli::comparable(option, b), same)
        << option.toStdString() << ": " << a.toStdString() << " / " << b.toStdString();
}

// Lists, ranges and "all" of prefectures: one output, the files in order.
TEST_F(H7Extract, SeveralPrefecturesInOneOutput) {
  ASSERT_EQ(run("h7sample", {"--data", "--out", dir.path(), "--pref", "14", "--group", "1", "--records", "40"}).status, 0);
  dir.write("H7STTS1.DAT", dir.bytes("H7S13S1.DAT"));  // read only when named
  std::string first;
  for (const char* pref : {"14,13", "13-14", "ALL", "all,14"}) {
    EXPECT_TRUE(run("h7extract", with(base("1-20"), "--pref", pref)).err.startsWith(h7::msg::completion(1361, 160, 161)));
    if (first.empty()) first = dir.bytes("out.csv");
    EXPECT_EQ(dir.bytes("out.csv"), first) << pref;
  }
  EXPECT_LT(first.find("\"13\",\""), first.find("\"14\",\""));
  // Every file present and TT besides, TT (a copy of 13) last.
  EXPECT_TRUE(run("h7extract", with(base("1-20"), "--pref", "TT,all")).err.startsWith(h7::msg::completion(1361, 280, 281)));
  const std::size_t rows = first.find("\r\n") + 2, rowsOf14 = first.find("\r\n\"14\",") + 2;
  EXPECT_EQ(dir.bytes("out.csv"), first + first.substr(rows, rowsOf14 - rows));
}

TEST_F(H7Extract, StatsAndByteOrderMark) {
  Ran r = run("h7extract", base("1-50") << "--numerify" << "--stats" << "--utf8-bom");
  const QStringList lines = r.err.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.value(1), QStringLiteral("数値を含まず 0 とした値 (項目番号: 件数)")) << r.err.toStdString();
  // Per item, the values that hold no number, counted in the raw output.
  std::vector<long long> counted(51);
  for (const QByteArray& line : run("h7extract", with(base("1-50"), "--output", "-")).out.split('\n').mid(1))
    for (int item = 1; item <= 50 && !line.isEmpty(); ++item)
      counted[std::size_t(item)] += !h7::holdsNumber(QByteArray(line).replace('\r', "").split(',').value(item + 2).toStdString());
  QString expected = h7::msg::statsHeading() + '\n';
  long long total = 0;
  for (int item = 1; item <= 50; ++item) {
    if (counted[std::size_t(item)]) expected += QStringLiteral("  %1: %2\n").arg(item).arg(counted[std::size_t(item)]);
    total += counted[std::size_t(item)];
  }
  ASSERT_GT(total, 0);
  EXPECT_EQ(r.err.section('\n', 1), expected + h7::msg::statsTotal().arg(total) + '\n');
  EXPECT_EQ(dir.bytes("out.csv").substr(0, 8), "\xEF\xBB\xBF\"県\"");
}


}  // namespace
