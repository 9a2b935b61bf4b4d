// The kernels' contract, for the kernels H7_KERNEL names (ctest runs this program once per
// kernel): what findLineEnd and anyHighByte report and what the field writers write, each
// on bytes that end at an unreadable page or begin just behind one, so that a read past
// what the contract allows ends the program.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "extract/kernels/choice.h"
#include "extract/numerify.h"

namespace {

// One readable page between two that are not; bytes placed against either edge.
class GuardedPage {
 public:
  GuardedPage() {
    base_ = static_cast<char*>(::mmap(nullptr, 3 * size_, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    if (base_ == MAP_FAILED || ::mprotect(base_ + size_, size_, PROT_READ | PROT_WRITE) != 0) std::abort();
  }
  ~GuardedPage() { ::munmap(base_, 3 * size_); }
  // The page filled with `fill`, then `bytes` at its start (atEnd false) or its end.
  char* place(const std::string& bytes, bool atEnd, char fill = 'a') {
    std::memset(base_ + size_, fill, size_);
    char* at = atEnd ? base_ + 2 * size_ - bytes.size() : base_ + size_;
    std::memcpy(at, bytes.data(), bytes.size());
    return at;
  }

 private:
  const std::size_t size_ = std::size_t(::sysconf(_SC_PAGESIZE));
  char* base_;
};

const h7::Kernels& kernels() { return h7::activeKernels(); }

// The end byte (CR, or LF) at `end` or none, a high byte at `high` or none: the end found,
// and `high` set when the high byte is before it (anywhere, with no end); never cleared.
TEST(KernelContract, FindLineEndNotesHighBytesBeforeTheEnd) {
  GuardedPage page;
  const bool looks = kernels().id != h7::KernelId::Scalar;  // the scalar kernel sets `high` always
  for (std::size_t n : {1, 31, 32, 33, 63, 64, 65, 127, 128, 129, 255, 256, 257, 300, 513})
    for (std::optional<std::size_t> end : {std::optional<std::size_t>(), std::optional(std::size_t(0)),
                                           std::optional(n / 2), std::optional(n - 1)})
      for (std::optional<std::size_t> high : {std::optional<std::size_t>(), std::optional(std::size_t(0)),
                                              std::optional(n / 2 - 1), std::optional(n / 2 + 1), std::optional(n - 1)})
        for (char eol : {'\r', '\n'})
          for (bool atEnd : {false, true}) {
            if (high && (*high >= n || high == end)) continue;
            std::string bytes(n, 'a');
            if (end) bytes[*end] = eol;
            if (high) bytes[*high] = *high % 2 ? '\x80' : '\xFF';
            const char* from = page.place(bytes, atEnd);
            bool noted = false, kept = true;
            const char* found = kernels().findLineEnd(from, from + n, eol, noted);
            kernels().findLineEnd(from, from + n, eol, kept);
            const bool before = high && (!end || *high < *end);
            const std::string what = "n " + std::to_string(n) + " end " + (end ? std::to_string(*end) : "-") +
                                     " high " + (high ? std::to_string(*high) : "-");
            EXPECT_EQ(found, end ? from + *end : nullptr) << what;
            EXPECT_EQ(noted, before || !looks) << what;
            EXPECT_TRUE(kept) << what;
          }
}

// Every length around the vector widths, a high byte at each position or none.
TEST(KernelContract, AnyHighByteAtEachPosition) {
  GuardedPage page;
  for (std::size_t n : {0, 1, 31, 32, 33, 63, 64, 65, 100})
    for (std::size_t high = 0; high <= n; ++high)  // n: none
      for (bool atEnd : {false, true}) {
        std::string bytes(n, 'a');
        if (high < n) bytes[high] = high % 2 ? '\x80' : '\xFF';
        EXPECT_EQ(kernels().anyHighByte(page.place(bytes, atEnd), n), high < n) << "n " << n << " high " << high;
      }
}

// Runs of 1 to 11 fields, the first 50 bytes behind the first readable byte or the last
// one against the last readable byte; the page around them holds commas and quotation
// marks, and the 50 bytes before the first field too, none of which is the fields'.
TEST(KernelContract, FieldsReadOnlyTheLineAndFiftyBytesBefore) {
  const std::vector<std::string> fields = {"       123", "         0", "        -5", "          ", "         X",
                                           "      1.50", "  12345678", "1234567890", "      0012", "   1,2    ",
                                           "     \"7\"  ", "        -0", "     1E+03", "   7\n  \r  ",
                                           "\x82\xA0<\x0C\xAC\x8D\xFF\x02\x1A*"};  // bytes sharing low bits with , " LF CR
  const std::string before = std::string(25, ',') + std::string(25, '"');
  GuardedPage page;
  char out[4096];
  for (std::size_t count = 1; count <= 11; ++count)
    for (std::size_t shift = 0; shift < fields.size(); ++shift)
      for (std::size_t gap : {0, 7})  // two runs, `gap` bytes apart, where gap > 0
        for (bool numerify : {false, true})
          for (bool atEnd : {false, true}) {
            std::string line = before, expected;
            std::vector<h7::FieldRun> runs = {{before.size(), count}};
            if (gap) runs = {{before.size(), count / 2}, {before.size() + count / 2 * 10 + gap, count - count / 2}};
            bool refused = false;
            for (std::size_t k = 0; k < count; ++k) {
              if (gap && k == count / 2) line += std::string(gap, ',');
              const std::string& f = fields[(k + shift) % fields.size()];
              line += f;
              h7::ByteBuffer value;
              value.push_back(',');
              if (numerify) refused |= !h7::appendNumerified(value, f);
              else value.append(f), refused |= f.find_first_of(",\"\r\n") != std::string::npos;
              expected += value.view();
            }
            if (runs.front().count == 0) runs.erase(runs.begin());
            const char* at = page.place(line, atEnd, atEnd ? '"' : ',');
            char* end = (numerify ? kernels().numerifiedFields : kernels().rawFields)(out, at, runs.data(), runs.size());
            const std::string what = std::to_string(count) + " fields from " + std::to_string(shift) + " gap " +
                                     std::to_string(gap) + (numerify ? " numerified" : " raw");
            if (refused) EXPECT_EQ(end, nullptr) << what;
            else EXPECT_EQ(end ? std::string(static_cast<char*>(out), end) : "(refused)", expected) << what;
          }
}

}  // namespace
