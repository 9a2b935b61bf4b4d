// Faults around a run, through the core: a full disk, input files that are something
// else than they should be, and files that change while the run reads them. Whatever
// happens, the run ends with a message, an earlier output file stays as it was and no
// temporary file is left.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <functional>
#include <iostream>
#include <memory>

#include "extract/run.h"
#include "support/faults.h"
#include "support/testutil.h"

namespace {

constexpr int kRecords = 2000;
constexpr int kItems = 20;
const QString kDiskFull = QStringLiteral("ERROR  ディスクの空き容量が不足しています。");
const std::string kEarlier = "earlier output\r\n";

// A census record of prefecture 13 with kItems right-aligned values.
std::string record(int n) {
  std::string r = std::string(15, '9') + "13" + std::to_string(101 + n % 50) + "000100" + std::string(24, ' ');
  for (int k = 1; k <= kItems; ++k) {
    std::string v = std::to_string(n * k);
    r += std::string(10 - v.size(), ' ') + v;
  }
  return r;
}

class RunFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string names;
    for (int k = 1; k <= kItems; ++k) names += h7test::sjis("項目") + std::to_string(k) + "\r\n";
    dir.write("NAMEH7S1.CCC", names);
    std::string data;
    for (int n = 0; n < kRecords; ++n) data += record(n) + "\r\n";
    dir.write("H7S13S1.DAT", data);
    dir.write("out.csv", kEarlier);
    in.inputFolder = dir.path();
    in.outputFile = dir.file("out.csv");
    in.prefectures = QStringList{"13"};
    in.group = 1;
    in.programFolder = dir.path();
    in.itemSets = {{1, kItems, 0}};
  }

  h7test::ScratchDir dir;
  h7::RunInputs in;
};

// ENOSPC on a device and on a small file system, EFBIG past the file-size limit: the same
// message, and a regular output file is as it was.
TEST_F(RunFaults, FullDiskFailsAndKeepsTheEarlierOutput) {
  enum class Full { Device, SmallFilesystem, SizeLimit };
  const struct {
    const char* what;
    Full full;
  } cases[] = {
      {"/dev/full", Full::Device},
      {"tmpfs of 64 KiB", Full::SmallFilesystem},
      {"file-size limit of 16 KiB", Full::SizeLimit},
  };
  for (const auto& c : cases) {
    h7test::emptyFolder(dir.path());
    SetUp();
    const QString folder = c.full == Full::SmallFilesystem ? dir.file("small") : dir.path();
    std::unique_ptr<h7test::SmallFilesystem> small;
    if (c.full == Full::SmallFilesystem) {
      small = std::make_unique<h7test::SmallFilesystem>(folder, 64 * 1024);
      if (!small->mounted()) {
        std::cout << "[  NOTE    ] no tmpfs (" << small->error() << "): the file-size limit stands in\n";
        continue;
      }
      h7test::writeBytes(folder + "/out.csv", kEarlier);
    }
    in.outputFile = c.full == Full::Device ? QStringLiteral("/dev/full") : folder + "/out.csv";
    std::unique_ptr<h7test::FileSizeLimit> limit;
    if (c.full == Full::SizeLimit) limit = std::make_unique<h7test::FileSizeLimit>(16 * 1024);
    const h7::RunResult r = h7::runExtraction(in);
    limit.reset();

    EXPECT_EQ(r.end, h7::RunEnd::Failed) << c.what;
    EXPECT_EQ(r.message, kDiskFull) << c.what;
    if (c.full != Full::Device) {
      EXPECT_TRUE(h7test::readBytes(folder + "/out.csv") == kEarlier) << c.what;
      EXPECT_TRUE(h7test::leftoverTemporaries(folder).isEmpty()) << c.what;
    }
  }
}

TEST_F(RunFaults, InputFilesOfTheWrongKind) {
  // Every byte value (a CR among them ends lines), NUL, lone lead bytes, quotation marks.
  std::string binary;
  for (int round = 0; round < 64; ++round)
    for (int b = 0; b < 256; ++b) binary.push_back(char((b * 37 + round) & 0xFF));
  std::string binaryName;  // one line: every byte value but CR
  for (int b = 255; b >= 0; --b)
    if (b != '\r') binaryName.push_back(char(b));

  const QString kAll = QStringLiteral("正常終了  KCNT= %1   ICNT=  2000  ,OCNT=  2001");
  // Files of the wrong content still complete (a file that is a folder fails: test_run.cpp).
  const struct {
    const char* what;
    std::function<void()> prepare;
    QString message;
  } cases[] = {
      {"item-name file empty", [&] { dir.write("NAMEH7S1.CCC", ""); }, kAll.arg(0)},
      {"item-name file binary", [&] { dir.write("NAMEH7S1.CCC", binaryName); }, kAll.arg(1)},
      {"census data file binary", [&] { dir.write("H7S13S1.DAT", binary); }, {}},
  };
  for (const auto& c : cases) {
    h7test::emptyFolder(dir.path());
    SetUp();
    c.prepare();
    const h7::RunResult r = h7::runExtraction(in);
    ASSERT_EQ(r.end, h7::RunEnd::Completed) << c.what << ": " << r.message.toStdString();
    if (!c.message.isEmpty()) {
      EXPECT_EQ(r.message, c.message) << c.what;
    }
    EXPECT_TRUE(h7test::leftoverTemporaries(dir.path()).isEmpty()) << c.what;
    const std::string out = dir.bytes("out.csv");
    // Whatever the input, the output is whole lines, one per record after the header.
    EXPECT_EQ(r.OCNT, r.ICNT + 1) << c.what;
    EXPECT_EQ(out.substr(out.size() - 2), "\r\n") << c.what;
    long long lineEnds = 0;
    for (std::size_t at = out.find("\r\n"); at != std::string::npos; at = out.find("\r\n", at + 2)) ++lineEnds;
    EXPECT_EQ(lineEnds, r.OCNT) << c.what;  // no CR inside a line, so no CR LF either
  }
  // The binary name went into the header as it was, its quotation mark doubled.
  h7test::emptyFolder(dir.path());
  SetUp();
  dir.write("NAMEH7S1.CCC", binaryName);
  in.itemSets = {{1, 0, 0}};
  ASSERT_EQ(h7::runExtraction(in).end, h7::RunEnd::Completed);
  std::string quoted;
  for (char ch : binaryName) quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
  const std::string out = dir.bytes("out.csv");
  EXPECT_NE(out.find(",\"" + quoted + "\"\r\n"), std::string::npos);
}

TEST_F(RunFaults, DataFileDeletedBetweenRuns) {
  ASSERT_EQ(h7::runExtraction(in).end, h7::RunEnd::Completed);
  const std::string first = dir.bytes("out.csv");
  ASSERT_TRUE(QFile::remove(dir.file("H7S13S1.DAT")));
  const h7::RunResult r = h7::runExtraction(in);
  EXPECT_EQ(r.end, h7::RunEnd::Failed);
  EXPECT_EQ(r.message, QStringLiteral("ERROR  ファイルが見つかりません。"));
  EXPECT_TRUE(dir.bytes("out.csv") == first);
  EXPECT_TRUE(h7test::leftoverTemporaries(dir.path()).isEmpty());
}

// The run holds the file open: deleting it changes nothing; cutting it short ends the
// run early but still with whole lines.
TEST_F(RunFaults, DataFileChangedDuringTheRun) {
  const struct {
    const char* what;
    std::function<void()> change;
    bool allRecords;
  } cases[] = {
      {"deleted", [&] { QFile::remove(dir.file("H7S13S1.DAT")); }, true},
      {"cut to a third", [&] { QFile(dir.file("H7S13S1.DAT")).resize(QFile(dir.file("H7S13S1.DAT")).size() / 3); }, false},
  };
  for (const auto& c : cases) {
    h7test::emptyFolder(dir.path());
    SetUp();
    in.threads = 0;
    in.chunkBytes = 16 * 1024;
    bool changed = false;
    const h7::RunResult r = h7::runExtraction(in, [&](const auto& progress) {
      if (progress.lines > 0 && !changed) {
        c.change();
        changed = true;
      }
    });
    ASSERT_TRUE(changed) << c.what;
    ASSERT_EQ(r.end, h7::RunEnd::Completed) << c.what << ": " << r.message.toStdString();
    if (c.allRecords) {
      EXPECT_EQ(r.ICNT, kRecords) << c.what;
    } else {
      EXPECT_LT(r.ICNT, kRecords) << c.what;
    }
    const std::string out = dir.bytes("out.csv");
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), r.OCNT) << c.what;
    EXPECT_EQ(r.OCNT, r.ICNT + 1) << c.what;
  }
}

}  // namespace
