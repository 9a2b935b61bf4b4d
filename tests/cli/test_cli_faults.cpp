// Faults around a run, through the h7extract program: exit status and message for each,
// an earlier output file as it was and no temporary file left; cases that need a user
// other than root run as nobody; the peak memory on a file without CR; a run killed
// while it writes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <chrono>
#include <functional>
#include <iostream>
#include <poll.h>
#include <thread>

#include "support/faults.h"
#include "support/testutil.h"

namespace {

using h7test::ChildSetup;
using h7test::native;

const std::string kEarlier = "earlier output\r\n";
const QString kDiskFull = QStringLiteral("ERROR  ディスクの空き容量が不足しています。");

class CliFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    // nobody must reach the folder, the data, the names and the program.
    ::chmod(native(dir.path()).c_str(), 0755);
    const h7test::ChildEnd made =
        h7test::runChild({H7_BIN_DIR "/h7sample", "--names", "--data", "--out", native(dir.path()), "--pref", "13",
                          "--group", "1", "--records", "120"},
                         {}, dir.path());
    ASSERT_EQ(made.exitCode, 0) << made.err;
    QDir(dir.path()).mkdir("bin");
    program = dir.file("bin/h7extract");
    ASSERT_TRUE(QFile::copy(H7_BIN_DIR "/h7extract", program));
    ::chmod(native(program).c_str(), 0755);
    data = dir.bytes("H7S13S1.DAT");
    dir.write("out.csv", kEarlier);
  }

  // The program's arguments: input (default: the scratch folder), output, prefecture 13,
  // group 1, the items, the names of the scratch folder.
  std::vector<std::string> args(const QString& output, const QString& input = {}, const char* items = "1-100") const {
    return {native(program), "--input", native(input.isNull() ? dir.path() : input), "--output", native(output),
            "--pref", "13", "--group", "1", "--items", items, "--names", native(dir.path()), "--quiet"};
  }

  h7test::ScratchDir dir;
  QString program;
  std::string data;
};

TEST_F(CliFaults, EachFaultHasItsMessageAndExitStatus) {
  std::string names1401;
  for (int k = 0; k < 1401; ++k) names1401 += "n\r\n";
  std::string binaryName;
  for (int b = 0; b < 256; ++b)
    if (b != '\r') binaryName.push_back(char(b));
  const ChildSetup root, nobody{true}, sizeLimit{false, 16 * 1024};

  struct Case {
    const char* what;
    std::function<QString()> prepare;  // returns the output path
    ChildSetup setup;
    int status;
    QString err;  // start of stderr
  };
  const QString out = dir.file("out.csv");
  const Case cases[] = {
      {"output /dev/full", [] { return QStringLiteral("/dev/full"); }, root, 1, kDiskFull},
      {"file-size limit of 16 KiB", [&] { return out; }, sizeLimit, 1, kDiskFull},
      {"output folder missing", [&] { return dir.file("missing/out.csv"); }, root, 1,
       QStringLiteral("ERROR  パスが見つかりません。")},
      {"output path a folder", [&] { return dir.path(); }, root, 1, QStringLiteral("ERROR  フォルダが指定されています。")},
      {"output path empty", [] { return QString(""); }, root, 1, QStringLiteral("ERROR  パス名が無効です。")},
      {"output the census data file", [&] { return dir.file("H7S13S1.DAT"); }, root, 1,
       QStringLiteral("ERROR  出力ファイルが入力ファイルと同じです")},
      {"census data file a folder", [&] {
         QFile::remove(dir.file("H7S13S1.DAT"));
         QDir(dir.path()).mkdir("H7S13S1.DAT");
         return out;
       }, root, 1, QStringLiteral("ERROR  フォルダが指定されています。")},
      {"census data file deleted", [&] {
         QFile::remove(dir.file("H7S13S1.DAT"));
         return out;
       }, root, 1, QStringLiteral("ERROR  ファイルが見つかりません。")},
      {"census data file unreadable", [&] {
         ::chmod(native(dir.file("H7S13S1.DAT")).c_str(), 0);
         return out;
       }, nobody, 1, QStringLiteral("ERROR  ファイルにアクセスできません。")},
      {"output folder not writable", [&] {
         QDir(dir.path()).mkdir("locked");
         return dir.file("locked/out.csv");
       }, nobody, 1, QStringLiteral("ERROR  書き込みできません。")},
      {"output file not writable", [&] { return out; }, nobody, 1, QStringLiteral("ERROR  書き込みできません。")},
      {"item-name file of 1401 lines", [&] {
         dir.write("NAMEH7S1.CCC", names1401);
         return out;
       }, root, 1, QStringLiteral("ERROR  インデックスが有効範囲にありません。")},
      {"item-name file empty", [&] {
         dir.write("NAMEH7S1.CCC", "");
         return out;
       }, root, 0, QStringLiteral("正常終了  KCNT= 0   ICNT=  120  ,OCNT=  121")},
      {"item-name file binary", [&] {
         dir.write("NAMEH7S1.CCC", binaryName);
         return out;
       }, root, 0, QStringLiteral("正常終了  KCNT= 1   ICNT=  120  ,OCNT=  121")},
  };
  for (const Case& c : cases) {
    if (c.setup.asNobody && ::geteuid() != 0) {  // setpriv needs root; CI runs as root
      std::cout << "[  NOTE    ] not root, so not run as nobody: " << c.what << "\n";
      continue;
    }
    h7test::emptyFolder(dir.path());
    SetUp();
    const QString output = c.prepare();
    const h7test::ChildEnd end = h7test::runChild(args(output), c.setup, dir.file("bin"));
    const QString err = QString::fromStdString(end.err);
    EXPECT_EQ(end.exitCode, c.status) << c.what << ": " << end.err;
    EXPECT_TRUE(err.startsWith(c.err)) << c.what << ": " << end.err;
    if (c.status != 0) {
      EXPECT_TRUE(dir.bytes("out.csv") == kEarlier) << c.what;
    }
    if (QFile::exists(dir.file("H7S13S1.DAT")) && QFileInfo(dir.file("H7S13S1.DAT")).isFile()) {
      ::chmod(native(dir.file("H7S13S1.DAT")).c_str(), 0644);
      EXPECT_TRUE(dir.bytes("H7S13S1.DAT") == data) << c.what;
    }
    EXPECT_TRUE(h7test::leftoverTemporaries(dir.path()).isEmpty()) << c.what;
  }
}

TEST_F(CliFaults, SmallFilesystemRunsFull) {
  const QString folder = dir.file("small");
  h7test::SmallFilesystem small(folder, 64 * 1024);
  if (!small.mounted()) GTEST_SKIP() << "no tmpfs here (" << small.error() << "); the file-size limit stands in";
  h7test::writeBytes(folder + "/out.csv", kEarlier);
  const h7test::ChildEnd end = h7test::runChild(args(folder + "/out.csv"), {}, dir.file("bin"));
  EXPECT_EQ(end.exitCode, 1) << end.err;
  EXPECT_TRUE(QString::fromStdString(end.err).startsWith(kDiskFull)) << end.err;
  EXPECT_TRUE(h7test::readBytes(folder + "/out.csv") == kEarlier);
  EXPECT_TRUE(h7test::leftoverTemporaries(folder).isEmpty());
}

// One record line of 300 MB without any CR: only the head of the line is kept, so the
// peak memory does not follow the file size.
TEST_F(CliFaults, LineWithoutEndKeepsMemoryFlat) {
  const QString input = dir.file("big");
  QDir(dir.path()).mkdir("big");
  {
    QFile big(input + "/H7S13S1.DAT");
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    std::string block(1 << 20, ' ');
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = i % 100 == 99 ? '\n' : char('0' + i % 10);
    for (int mb = 0; mb < 300; ++mb) ASSERT_EQ(big.write(block.data(), qint64(block.size())), qint64(block.size()));
  }
  std::vector<std::string> argv = args(dir.file("big.csv"), input, "1-1361");
  argv.push_back("--numerify");
  const h7test::ChildEnd end = h7test::runChild(argv, {}, dir.file("bin"));
  QFile::remove(input + "/H7S13S1.DAT");
  EXPECT_EQ(end.exitCode, 0) << end.err;
  EXPECT_TRUE(QString::fromStdString(end.err).startsWith(QStringLiteral("正常終了  KCNT= 1361   ICNT=  1  ,OCNT=  2")))
      << end.err;
  std::cout << "[  MEMORY  ] peak RSS of h7extract on 300 MB without CR: " << end.maxRssKib / 1024 << " MiB\n";
  // AddressSanitizer's shadow and quarantine count in RSS; the limit is for the real build.
  EXPECT_LT(end.maxRssKib, (h7test::kAddressSanitizer ? 256 : 64) * 1024);
}

// Writes all of `bytes` into a non-blocking pipe, waiting while it is full; false when
// the reader is gone or nothing moves for the given time.
bool writeToPipe(int fd, std::string_view bytes, std::chrono::milliseconds patience) {
  while (!bytes.empty()) {
    pollfd p{fd, POLLOUT, 0};
    if (::poll(&p, 1, int(patience.count())) <= 0 || (p.revents & (POLLERR | POLLHUP))) return false;
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(std::size_t(n));
  }
  return true;
}

// The census data come through a pipe, so the run is certain to be in the middle when
// it is killed: records have gone into the temporary file, more are still to come.
TEST_F(CliFaults, KilledWhileWritingLeavesTheEarlierOutput) {
  ::signal(SIGPIPE, SIG_IGN);
  const QString input = dir.file("pipe");
  QDir(dir.path()).mkdir("pipe");
  ASSERT_EQ(::mkfifo(native(input + "/H7S13S1.DAT").c_str(), 0644), 0);

  h7test::Child child(args(dir.file("out.csv"), input), {}, dir.file("bin"));
  int fifo = -1;
  for (int tries = 0; fifo < 0 && tries < 3000 && child.running(); ++tries) {  // until the run opens it
    fifo = ::open(native(input + "/H7S13S1.DAT").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fifo < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (fifo < 0) {
    ::kill(child.pid(), SIGKILL);
    FAIL() << "h7extract did not open its input: " << child.wait().err;
  }

  // What the run has written: its temporary file, or the output itself if it had none.
  auto writtenSize = [&] {
    const QStringList temps = h7test::leftoverTemporaries(dir.path());
    return QFileInfo(temps.isEmpty() ? dir.file("out.csv") : dir.file(temps.first())).size();
  };
  qint64 written = 0;
  for (int batch = 0; batch < 40 && (written = writtenSize()) < 256 * 1024; ++batch)
    ASSERT_TRUE(writeToPipe(fifo, data, std::chrono::seconds(30))) << "the run stopped reading";
  for (int tries = 0; tries < 500 && (written = writtenSize()) < 256 * 1024; ++tries)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_GE(written, 256 * 1024) << "no records were written";
  ASSERT_TRUE(child.running());

  ::kill(child.pid(), SIGKILL);
  const h7test::ChildEnd end = child.wait();
  ::close(fifo);
  EXPECT_EQ(end.signal, SIGKILL);
  EXPECT_TRUE(dir.bytes("out.csv") == kEarlier);
  // A killed process cannot tidy up: its temporary file stays, named after the output.
  const QStringList left = h7test::leftoverTemporaries(dir.path());
  EXPECT_LE(left.size(), 1);
  for (const QString& name : left) {
    EXPECT_TRUE(name.startsWith(".out.csv.")) << name.toStdString();
    std::cout << "[  LEFT    ] after SIGKILL: " << name.toStdString() << " (" << QFileInfo(dir.file(name)).size()
              << " bytes)\n";
  }
}

}  // namespace
