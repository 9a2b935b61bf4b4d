#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "extract/chunks.h"
#include "extract/linereader.h"
#include "extract/run.h"
#include "support/testutil.h"

namespace {

using h7test::MemorySource;

using Lines = std::vector<std::string>;

Lines singlePass(const std::string& bytes, std::size_t keep) {
  MemorySource source(bytes);
  h7::LineReader reader(source);
  Lines lines;
  std::string_view line;
  while (reader.next(line)) lines.emplace_back(line.substr(0, keep));
  return lines;
}

Lines chunked(const std::vector<std::string>& files, std::size_t keep, std::size_t chunkBytes, int threads) {
  std::vector<std::unique_ptr<MemorySource>> sources;
  std::vector<h7::ByteSource*> pointers;
  for (const auto& f : files) {
    sources.push_back(std::make_unique<MemorySource>(f, 7));
    pointers.push_back(sources.back().get());
  }
  Lines lines;
  auto result = h7::runPipeline(
      pointers, keep, chunkBytes, threads,
      [&](h7::Chunk& c) {
        h7::forEachLine(c, [&](std::string_view line) {
          c.out.append(line.substr(0, keep));
          c.out.push_back('\0');
          ++c.lines;
          return true;
        });
      },
      [&](const h7::Chunk& c) -> std::optional<QString> {
        std::string_view all = c.out.view();
        for (std::size_t at; (at = all.find('\0')) != std::string_view::npos; all.remove_prefix(at + 1))
          lines.emplace_back(all.substr(0, at));
        return std::nullopt;
      },
      {});
  EXPECT_EQ(result.lines, (long long)lines.size());
  return lines;
}

// Lines with every kind of end, lone LFs and blank lines, some far longer than a chunk.
std::string randomFile(std::mt19937& rng) {
  std::string f;
  int lines = int(rng() % 40);
  for (int i = 0; i < lines; ++i) {
    std::size_t len = rng() % 8 == 0 ? 300 + rng() % 400 : rng() % 30;
    for (std::size_t k = 0; k < len; ++k) f.push_back(rng() % 9 == 0 ? '\n' : char('a' + rng() % 26));
    switch (rng() % 4) {
      case 0: f += "\r\n"; break;
      case 1: f += "\r"; break;
      case 2: f += "\n\r"; break;
      default: f += i + 1 == lines ? "" : "\r\n\n"; break;
    }
  }
  return f;
}

TEST(Chunks, SameLinesAsOnePassWhereverTheEdgesFall) {
  std::mt19937 rng(7);
  const std::size_t keep = 64;
  for (int round = 0; round < 300; ++round) {
    const std::string file = randomFile(rng);
    const Lines expected = singlePass(file, keep);
    for (std::size_t chunkBytes : {keep + 2, keep + 3, std::size_t(100), std::size_t(257), std::size_t(4096)})
      for (int threads : {0, 2})
        ASSERT_EQ(chunked({file}, keep, chunkBytes, threads), expected)
            << "file " << testing::PrintToString(file) << " chunk " << chunkBytes << " threads " << threads;
  }
}

TEST(Chunks, LineEndsOnTheChunkEdge) {
  // Chunks of 5 bytes keeping 3: "abc\r\n" ends just past the first chunk's edge, "abcd" fills one.
  const struct {
    std::string file;
    Lines lines;
  } cases[] = {
      {"abc\r\ndef\r\n", {"abc", "def"}},
      {"abc\rdef\r", {"abc", "def"}},
      {"abc\n\r\n", {"abc"}},
      {"ab\r\n\nx", {"ab", "\nx"}},
      {"abcd\r\n", {"abc"}},  // longer than the chunk: its head is kept
  };
  for (const auto& c : cases)
    for (int threads : {0, 1, 2}) EXPECT_EQ(chunked({c.file}, 3, 5, threads), c.lines) << testing::PrintToString(c.file);
}

TEST(Chunks, FilesFollowEachOtherInOrder) {
  EXPECT_EQ(chunked({"a\r\nb", "", "c\r", "\nd\r\n"}, 10, 11, 2), (Lines{"a", "b", "c", "\nd"}));
}

// The whole run with two workers and tiny chunks against one pass on the calling thread.
class ParallelRun : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string names;
    for (int i = 1; i <= 20; ++i) names += "name" + std::to_string(i) + "\r\n";
    dir.write("NAMEH7S1.CCC", names);
  }
  std::string record(std::mt19937& rng, const char* code) {
    std::string r = std::string(15, '0') + "13" + code + "000100" + std::string(24, ' ');
    for (int k = 0; k < 20; ++k) {
      std::string v = std::to_string(int(rng() % 100000) - 500);
      r += std::string(10 - v.size(), ' ') + v;
    }
    return r;
  }
  h7::RunResult run(const QStringList& prefectures, int threads, std::size_t chunk, const QString& out) {
    h7::RunInputs in;
    in.inputFolder = dir.path();
    in.outputFile = dir.file(out);
    in.prefectures = prefectures;
    in.programFolder = dir.path();
    in.numerify = true;
    in.itemSets = {{1, 20, 3}, {2, 0, 0}};
    in.municipalityFilter = true;
    in.municipalities = {{101, 150}};
    in.threads = threads;
    in.chunkBytes = chunk;
    return h7::runExtraction(in);
  }
  h7test::ScratchDir dir;
};

TEST_F(ParallelRun, SameBytesCountsAndFailuresAsOnePass) {
  std::mt19937 rng(11);
  std::string file;
  const char* ends[] = {"\r\n", "\r", "\r\n"};
  for (int i = 0; i < 400; ++i) file += record(rng, i % 3 ? "120" : "200") + ends[i % 3];
  dir.write("H7S13S1.DAT", file);
  auto one = run({"13"}, 0, 1 << 20, "one.csv");
  ASSERT_EQ(one.end, h7::RunEnd::Completed) << one.message.toStdString();
  for (std::size_t chunk : {500, 1001, 4096}) {
    auto many = run({"13"}, 2, chunk, "many.csv");
    EXPECT_EQ(many.message, one.message) << chunk;
    EXPECT_EQ(dir.bytes("many.csv"), dir.bytes("one.csv")) << chunk;
  }

  // A failure in a late chunk: the same message and counts, and the earlier output kept.
  dir.write("H7S13S1.DAT", file + record(rng, "1E5") + "\r\n" + record(rng, "120") + "\r\n");
  dir.write("many.csv", "earlier");
  auto failedOne = run({"13"}, 0, 1 << 20, "one.csv");
  auto failedMany = run({"13"}, 2, 700, "many.csv");
  EXPECT_EQ(failedOne.message, QStringLiteral("ERROR  オーバーフローしました。"));
  EXPECT_EQ(failedMany.message, failedOne.message);
  EXPECT_EQ(failedMany.ICNT, failedOne.ICNT);
  EXPECT_EQ(failedMany.ICNT, 401);
  EXPECT_EQ(dir.bytes("many.csv"), "earlier");
}

TEST_F(ParallelRun, SeveralPrefecturesMakeOneOutput) {
  std::mt19937 rng(5);
  std::string a, b;
  for (int i = 0; i < 50; ++i) a += record(rng, "120") + "\r\n";
  for (int i = 0; i < 30; ++i) b += record(rng, "130") + "\r";
  dir.write("H7S13S1.DAT", a);
  dir.write("H7S14S1.DAT", b);
  auto first = run({"13"}, 2, 600, "13.csv");
  auto second = run({"14"}, 2, 600, "14.csv");
  auto both = run({"13", "14"}, 2, 600, "both.csv");
  ASSERT_EQ(both.end, h7::RunEnd::Completed);
  EXPECT_EQ(both.ICNT, first.ICNT + second.ICNT);
  EXPECT_EQ(both.OCNT, first.OCNT + second.OCNT - 1);
  const std::string second14 = dir.bytes("14.csv");
  EXPECT_EQ(dir.bytes("both.csv"), dir.bytes("13.csv") + second14.substr(second14.find("\r\n") + 2));

  // A missing file anywhere in the list fails before the output is touched.
  dir.write("both.csv", "earlier");
  EXPECT_EQ(run({"13", "15"}, 2, 600, "both.csv").message, QStringLiteral("ERROR  ファイルが見つかりません。"));
  EXPECT_EQ(dir.bytes("both.csv"), "earlier");
}

}  // namespace
