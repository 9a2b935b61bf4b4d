#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "extract/linereader.h"
#include "support/testutil.h"

namespace {

using h7test::MemorySource;

std::vector<std::string> readAll(const std::string& bytes, std::size_t step, std::size_t keep = h7::LineReader::kKeepAll,
                                 std::size_t block = 16) {
  MemorySource source(bytes, step);
  h7::LineReader reader(source, keep, block);
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.next(line)) lines.emplace_back(line);
  EXPECT_FALSE(reader.error());
  return lines;
}

using Lines = std::vector<std::string>;

TEST(LineReader, LineEndsWhateverTheBlockEdges) {
  const std::string big(40, 'x');
  const struct {
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\nb\r\n", {"a\nb"}},          // LF alone does not end a line
      {"\n", {"\n"}},
      {"\r\n", {""}},
      {"\r\n\r\n", {"", ""}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"a\r\n\n", {"a", "\n"}},
      {"\r", {""}},
      {big + "\r\n" + big, {big, big}},  // longer than the first block
  };
  for (const auto& c : cases) {
    for (std::size_t step : {1, 2, 3, 5, 16, 1000}) {
      EXPECT_EQ(readAll(c.bytes, step), c.lines) << "input " << testing::PrintToString(c.bytes) << " step " << step;
    }
  }
}

TEST(LineReader, OverlongLineKeepsOnlyItsHead) {
  const std::string longLine(5000, 'y');
  for (std::size_t step : {1, 7, 100, 4096}) {
    EXPECT_EQ(readAll("abcdef\r\n" + longLine + "\r\nzz", step, 4, 64), (Lines{"abcd", "yyyy", "zz"})) << step;
    EXPECT_EQ(readAll(longLine + "\r", step, 4, 64), (Lines{"yyyy"})) << step;
    EXPECT_EQ(readAll(longLine, step, 4, 64), (Lines{"yyyy"})) << step;
  }
}

TEST(LineReader, ReadFailureIsReported) {
  class Failing final : public h7::ByteSource {
   public:
    std::ptrdiff_t read(char*, std::size_t) override { return -1; }
  } source;
  h7::LineReader reader(source);
  std::string_view line;
  EXPECT_FALSE(reader.next(line));
  ASSERT_TRUE(reader.error());
  EXPECT_FALSE(reader.error()->isEmpty());
}

}  // namespace
