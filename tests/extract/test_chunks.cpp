// Lines of census and item-name files: CR LF and CR end a line, LF alone does not (unless
// the file holds no CR at its start); a last
// line without an end counts; an overlong line keeps only its head. The same lines
// whatever the read sizes, the chunk edges and the number of worker threads.
#include <gtest/gtest.h>

#include <random>

#include "extract/chunks.h"
#include "support/testutil.h"

namespace {

using Lines = std::vector<std::string>;

h7::PipelineResult pipeline(std::vector<h7::ByteSource*> sources, std::size_t keep, std::size_t chunkBytes,
                            int threads, Lines& lines) {
  return h7::runPipeline(
      sources, keep, chunkBytes, threads,
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
