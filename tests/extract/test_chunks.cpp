// Lines of census and item-name files: CR LF and CR end a line, LF alone does not (unless
// the file holds no CR at its start); a last line without an end counts; an overlong line
// keeps only its head; a line of mixed ends is told. The same lines whatever the read
// sizes, the chunk edges and the number of worker threads.
#include <gtest/gtest.h>

#include <random>

#include "extract/chunks.h"
#include "extract/kernels/choice.h"
#include "support/testutil.h"

namespace {

using Lines = std::vector<std::string>;

h7::PipelineResult pipeline(std::vector<h7::ByteSource*> sources, std::size_t keep, std::size_t chunkBytes,
                            int threads, Lines& lines, std::size_t longLine = 0) {
  return h7::runPipeline(
      h7::activeKernels(), sources, keep, longLine, chunkBytes, threads,
      [&](h7::Chunk& c) {
        h7::forEachLine(c, [&](std::string_view line) {
          c.out.append(line.substr(0, keep));
          c.out.push_back('\0');
          ++c.lines;
          return true;
        });
      },
      [&](const h7::Chunk& c) -> std::optional<h7::Failure> {
        std::string_view all = c.out.view();
        for (std::size_t at; (at = all.find('\0')) != std::string_view::npos; all.remove_prefix(at + 1))
          lines.emplace_back(all.substr(0, at));
        return std::nullopt;
      },
      {});
}

Lines chunked(const std::vector<std::string>& files, std::size_t keep, std::size_t chunkBytes, int threads) {
  std::vector<std::unique_ptr<h7test::MemorySource>> sources;
  std::vector<h7::ByteSource*> pointers;
  for (const auto& f : files) pointers.push_back(sources.emplace_back(std::make_unique<h7test::MemorySource>(f, 7)).get());
  Lines lines;
  const long long counted = pipeline(pointers, keep, chunkBytes, threads, lines).lines;
  EXPECT_EQ(counted, (long long)lines.size());
  return lines;
}

TEST(Lines, EndsWhereverTheEdgesFall) {
  const std::string big(40, 'x'), huge(5000, 'y');
  const std::pair<std::string, Lines> cases[] = {  // bytes, lines kept to 30 bytes
      {"", {}},           {"a", {"a"}},           {"a\r\n", {"a"}},         {"a\r\nb", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},                     {"a\nb\r\n", {"a\nb"}},   {"\n", {""}},
      {"a\nb\n\nc", {"a", "b", "", "c"}},  // no CR: LF ends a line
      {"\r\n", {""}},     {"\r\n\r\n", {"", ""}}, {"a\r\r\nb", {"a", "", "b"}},
      {"a\r\n\n", {"a", "\n"}},                   {"\r", {""}},
      {big + "\r\n" + big + "\rz", {big.substr(0, 30), big.substr(0, 30), "z"}},
      {"abcdef\r\n" + huge + "\r\nzz", {"abcdef", huge.substr(0, 30), "zz"}},
      {huge, {huge.substr(0, 30)}},
  };
  for (const auto& [bytes, lines] : cases)
    for (std::size_t chunk : {32, 33, 45, 4096})
      for (int threads : {0, 2})
        EXPECT_EQ(chunked({bytes}, 30, chunk, threads), lines) << testing::PrintToString(bytes) << " chunk " << chunk;
  EXPECT_EQ(chunked({"a\r\nb", "", "c\r", "\nd\r\n"}, 10, 12, 2), (Lines{"a", "b", "c", "\nd"}));  // files in order
}

// Random files with every kind of end, lone LFs and lines far longer than a chunk.
TEST(Lines, ChunkedAsOnePass) {
  std::mt19937 rng(7);
  const char* ends[] = {"\r\n", "\r", "\n\r", "\r\n\n"};
  for (int round = 0; round < 300; ++round) {
    std::string file;
    for (int i = 0, n = int(rng() % 40); i < n; ++i, file += ends[rng() % 4])
      for (std::size_t k = 0, len = rng() % 8 ? rng() % 30 : 300 + rng() % 400; k < len; ++k)
        file.push_back(rng() % 9 == 0 ? '\n' : char('a' + rng() % 26));
    const Lines expected = chunked({file}, 64, 1 << 20, 0);
    for (std::size_t chunk : {66, 67, 100, 257, 4096})
      for (int threads : {0, 2})
        ASSERT_EQ(chunked({file}, 64, chunk, threads), expected) << testing::PrintToString(file) << " chunk " << chunk;
  }
}

// LF mode only where the first 16 MiB hold an LF and no CR: a file converted to LF line
// ends, whatever the length of its lines. There CR LF ends a line too and a lone CR is data.
TEST(Lines, LineEndsReadFromTheStart) {
  const std::string x64k(70000, 'x'), x16m(16 << 20, 'x');
  const struct {
    const char* what;
    std::string bytes;
    char eol;
  } cases[] = {
      {"LF", "a\nb\n", '\n'},
      {"CR LF", "a\r\nb\r\n", '\r'},
      {"CR", "a\rb\n", '\r'},
      {"no line end", x64k, '\r'},
      {"empty", "", '\r'},
      {"LF, a first line past 64 KiB", x64k + "\nb\n", '\n'},
      {"LF, a CR LF at byte 65535", "a\n" + std::string(65530, 'x') + "\r\nb\n", '\r'},
      {"LF, a CR LF past 64 KiB", "a\n" + x64k + "\r\nb\n", '\r'},
      {"CR LF, a lone LF in a first line past 64 KiB", "a\n" + x64k + "\r\nb\r\n", '\r'},
      {"LF, a CR past 16 MiB", "a\n" + x16m + "\r\n", '\n'},
  };
  for (const auto& c : cases) {
    h7test::MemorySource source(c.bytes, 4096);
    EXPECT_EQ(h7::lineEndOf(source), c.eol) << c.what;
  }
  const std::string lf = "a\nb\r\nc\rd\r\r\n" + std::string(1000, 'y') + "\r";
  const Lines expected = {"a", std::string(30, 'x'), "b", "c\rd\r", std::string(30, 'y')};
  for (std::size_t chunk : {(16u << 20) + 1, 1u << 20, 4097u})
    for (int threads : {0, 2})
      EXPECT_EQ(chunked({"a\n" + x16m + "\n" + lf.substr(2)}, 30, chunk, threads), expected) << chunk;
}

// Lines longer than twice a record: noted once per file, or, when one holds the other
// line end byte (an LF file glued to a CR LF one, say), a failure at that line. Whether a
// line fits the block or only its head is kept.
TEST(Lines, LongLinesAndMixedEnds) {
  const std::string x(300, 'x'), y(5000, 'y');
  const struct {
    std::string bytes;
    long long mixedAt;  // the failing line, 0: none
    std::vector<long long> longAt;  // per file, its first long line
  } cases[] = {
      {"a\r\n" + x + "\r\n" + x + "\r\n", 0, {2}},
      {"a\r\nb\r\n" + x + "\nz\r\n", 3, {}},
      {"a\r\n" + y + "\n" + y + "\r\nz", 2, {}},
      {"a\r\n" + y + y + "\r\n" + y + "\ny", 3, {2}},
      {"a\r\n" + x.substr(0, 99) + "\n\r\nz", 0, {}},  // at most twice: read as before
      {"a\n" + std::string(16 << 20, 'x') + "\n" + y + "\r" + y + "\n" + y + "\r\n", 3, {2}},  // LF mode
  };
  for (const auto& c : cases)
    for (std::size_t chunk : {64u, 1000u, 1u << 25})
      for (int threads : {0, 2}) {
        h7test::MemorySource source(c.bytes, 4096);
        Lines lines;
        const h7::PipelineResult r = pipeline({&source}, 30, chunk, threads, lines, 100);
        EXPECT_EQ(r.failure, c.mixedAt ? std::optional(h7::msg::mixedLineEnds()) : std::nullopt) << c.bytes.substr(0, 40);
        EXPECT_EQ(r.failedLine, c.mixedAt) << c.bytes.substr(0, 40);
        std::vector<long long> longAt;
        for (const auto& [file, line] : r.longLines) longAt.push_back(line);
        EXPECT_EQ(longAt, c.longAt) << c.bytes.substr(0, 40);
      }
}

// A file without any CR (the wrong file, say) is read through a block of bounded size, its
// line cut to its head: memory stays flat whatever its size. A read failure is reported.
TEST(Lines, LongFilesWithoutEndAndReadFailures) {
  for (int threads : {0, 2}) {
    h7test::MemorySource endless(std::string(8 << 20, 'x') + "\ry", 1 << 20);
    Lines lines;
    const h7::PipelineResult r = pipeline({&endless}, 100, 1 << 16, threads, lines);
    EXPECT_EQ(lines, (Lines{std::string(100, 'x'), "y"}));
    EXPECT_EQ(r.bytes, (8 << 20) + 2);
    EXPECT_LE(endless.largestRead, std::size_t(1) << 16);
  }
  class Failing final : public h7::ByteSource {
    std::ptrdiff_t readAt(long long, char*, std::size_t) override { return -1; }
  } failing;
  Lines lines;
  EXPECT_EQ(pipeline({&failing}, 10, 100, 0, lines).failure, h7::msg::deviceError());
}

}  // namespace
