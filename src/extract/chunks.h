// The one line splitter: files cut into chunks of whole lines. A file's line ends are read
// from its start (lineEndOf): CR mode, where CR LF and CR end a line and LF alone does not,
// or LF mode for a file converted to LF line ends, where LF and CR LF end a line and a lone
// CR is a byte of the line. A last line without an end counts; no empty line follows a
// final line end. A chunk is a byte range of a file and holds the lines that start in it;
// each worker thread reads its own chunks through a small block that stays in its
// cache, and the chunks are collected in file order, so that a run uses every core and
// still writes, counts and fails exactly as one pass over the lines would. Item-name
// files are read on the calling thread as one chunk. The lines in chunk_lines.cpp, the
// workers in pipeline.cpp.
#pragma once

#include <climits>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/messages.h"
#include "extract/byte_buffer.h"
#include "extract/files.h"
#include "extract/kernels/kernels.h"

namespace h7 {

// The byte that ends the lines of a source: '\n' (LF mode) when its first 64 KiB hold an LF
// and no CR, the look going on to the first CR when they hold none, at most 16 MiB; else
// '\r'. So an LF file with a CR LF near its start, or a CR LF file with a lone LF in a first
// line longer than 64 KiB, reads in CR mode, where its glued lines show (LineKind). A source
// of unknown size keeps what it read for the reading after.
char lineEndOf(ByteSource& source);

// What a line is beside its bytes, when it is longer than the chunk's `longLine` bytes
// (twice a record): a record of several lines glued into one when it holds the other line
// end byte (an LF in CR mode, a CR in LF mode): the line ends of the file are mixed.
enum class LineKind { Plain, Long, Mixed };

// The lines that start in [begin, end) of a source, read through `block` (at least `keep`
// + 2 bytes, reused, never grown), their ends found by `kernels`. A line longer than the
// block gives only its first `keep` bytes, so memory stays bounded on a file without line
// ends; the last line may run on past `end`. `eol` ends a line; after a CR an LF belongs to
// the same end, and in LF mode a CR before the LF too. Lines longer than `longLine` bytes
// (0: none) are told apart.
class ChunkLines {
 public:
  ChunkLines(const Kernels& kernels, ByteSource& source, long long begin, long long end, std::size_t keep,
             std::vector<char>& block, char eol = '\r', std::size_t longLine = 0);
  // The next line without its end; false at the end of the chunk or on a read failure.
  // The line stays valid until the next call.
  bool next(std::string_view& line);
  const std::optional<Failure>& failure() const { return failure_; }
  // False when the last line is known to hold no byte of 0x80 or above.
  bool mayHoldHighBytes() const { return high_; }
  LineKind kind() const { return kind_; }
  // The offset the reading stopped at (the file's end after the last line of a file).
  long long stoppedAt() const { return pos_ + (long long)at_; }

 private:
  bool findFirstStart();
  bool readMore();                     // one read behind the bytes held; false on failure
  bool haveByte();                     // a byte at at_, reading on; false at the end or on failure
  void dropBefore(std::size_t index);  // moves the bytes from `index` on to the front
  bool skipToLineEnd();                // past the rest of a line cut to its head
  const char* findEnd(const char* from, const char* to) const;
  bool holdsOtherEnd(std::string_view part) const;  // an LF in CR mode, a CR in LF mode

  const Kernels& kernels_;
  ByteSource& source_;
  const long long begin_, end_;
  const char eol_;
  const std::size_t keep_, longLine_;
  char* const buf_;
  const std::size_t cap_;
  long long pos_;           // offset of buf_[0] in the source
  std::size_t n_ = 0;       // bytes held
  std::size_t at_ = 0;      // where the next line starts (before an LF that follows a CR)
  bool afterCr_ = false;    // at_ follows a CR: an LF there ends that line
  bool eof_ = false, started_ = false, done_ = false, skipping_ = false, high_ = true;
  LineKind kind_ = LineKind::Plain;
  std::string head_;        // the head of a line longer than the block, while its rest is skipped
  std::optional<Failure> failure_;
};

// A byte range of one file and what its lines gave.
struct Chunk {
  const Kernels* kernels = nullptr;    // what finds the line ends
  ByteSource* source = nullptr;
  char eol = '\r';                     // the byte that ends the file's lines
  long long begin = 0, end = LLONG_MAX;
  std::size_t keep = 0;
  std::size_t longLine = 0;            // lines longer than this are told apart (0: none)
  std::vector<char>* block = nullptr;  // the reading worker's block
  long long inputBytes = 0;            // bytes of the file this chunk covers (read so far, for a piece)
  // Filled by the processing function:
  ByteBuffer out;
  long long lines = 0;  // lines read, the failing one included
  long long kept = 0;   // lines written
  long long firstLongLine = 0;  // the chunk's first line longer than longLine (1-based; 0: none)
  std::optional<Failure> failure;
  bool readFailed = false;       // the failure is the source's: no line of it is to blame
  std::vector<long long> tally;  // free for the processing function's own counts (per piece)

  // Output past this size is handed on as a piece before the chunk is done, so that the
  // output held stays bounded however much the lines make. False when the run stops.
  bool flushIfFull() { return out.size() < pieceBytes || !handOff || handOff(*this); }
  static constexpr std::size_t kPieceBytes = std::size_t(4) << 20;
  std::size_t pieceBytes = kPieceBytes;  // smaller for output made of many short pieces per line
  std::function<bool(Chunk&)> handOff;  // set by the pipeline
};

// Calls `line` for each line of the chunk (without its end), in order, until it returns
// false; a read failure becomes the chunk's failure. A `line` taking a second argument
// also gets whether the line may hold bytes of 0x80 or above. Output is handed on in
// pieces as it grows. A line of mixed line ends is counted and fails the chunk; the first
// long line is noted.
template <class F>
void forEachLine(Chunk& c, F&& line) {
  ChunkLines lines(*c.kernels, *c.source, c.begin, c.end, c.keep, *c.block, c.eol, c.longLine);
  std::string_view l;
  while (lines.next(l)) {
    if (lines.kind() == LineKind::Mixed) {
      ++c.lines;
      c.failure = msg::mixedLineEnds();
      return;
    }
    if (lines.kind() == LineKind::Long && !c.firstLongLine) c.firstLongLine = c.lines + 1;
    bool more;
    if constexpr (std::is_invocable_v<F, std::string_view, bool>) more = line(l, lines.mayHoldHighBytes());
    else more = line(l);
    if (c.end == LLONG_MAX) c.inputBytes = c.source->storedBytesAt(lines.stoppedAt()) - c.begin;
    if (!more || !c.flushIfFull()) return;
  }
  if (lines.failure() && !c.failure) c.failure = lines.failure(), c.readFailed = true;
  if (c.end == LLONG_MAX) c.inputBytes = c.source->storedBytesAt(lines.stoppedAt()) - c.begin;
}

struct PipelineResult {
  long long lines = 0, kept = 0, bytes = 0;
  std::optional<Failure> failure;
  ByteSource* failedSource = nullptr;  // the file of the failure, and its line (1-based; 0: none)
  long long failedLine = 0;
  std::vector<std::pair<ByteSource*, long long>> longLines;  // per file, its first long line (1-based)
};

// Runs every chunk of the sources (files cut at multiples of `chunkBytes`; one of unknown
// size read in order as one; lines longer than `longLine` told apart; line ends found by
// `kernels`) through `process` on `threads` workers (0: on the calling thread), and hands
// the output to `collect` in order on the calling thread, a piece at a time. `process`
// reads its chunk with forEachLine. `collect` returns a failure to stop; a chunk's own
// failure stops after its output is collected. `progress` gets the counts of lines and
// bytes read after each collected piece, and at least every 50 ms while the calling
// thread waits.
PipelineResult runPipeline(const Kernels& kernels, const std::vector<ByteSource*>& sources, std::size_t keep,
                           std::size_t longLine, std::size_t chunkBytes, int threads,
                           const std::function<void(Chunk&)>& process,
                           const std::function<std::optional<Failure>(Chunk&)>& collect,
                           const std::function<void(long long lines, long long bytes)>& progress);

// The worker count for this machine: one per core but one, two on two cores, one on one.
int defaultWorkerCount();

// Calls `line` for each line of a source, in order, on the calling thread, until it
// returns false; lines longer than the block give only their first `keep` bytes. The
// line end is the source's (lineEndOf). Returns the read failure, if any, or the mixed
// line ends of a line longer than `longLine` (0: none) that holds the other end byte.
std::optional<Failure> forEachLineOf(ByteSource& source, std::size_t keep, std::size_t blockBytes,
                                     const std::function<bool(std::string_view line)>& line, std::size_t longLine = 0);

}  // namespace h7
