// The one line splitter: files cut into chunks of whole lines. CR LF and CR end a line,
// LF alone does not; a last line without an end counts; no empty line follows a final
// line end. Census data files go through worker threads and are collected in file
// order, so that a run uses every core and still writes, counts and fails exactly as one
// pass over the lines would; item-name files are read on the calling thread.
#pragma once

#include <cstddef>
#include <cstring>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "core/messages.h"
#include "extract/byte_buffer.h"
#include "extract/files.h"

namespace h7 {

// One piece of a file: whole lines (the last chunk of a file may end without a line end).
struct Chunk {
  std::vector<char> bytes;
  std::size_t size = 0;
  bool afterCr = false;  // the previous chunk ended with CR: a LF at the front belongs to it
  long long inputBytes = 0;  // bytes of the file this chunk covers, skipped ones included
  // Filled by the processing function:
  ByteBuffer out;
  long long lines = 0;  // lines read, the failing one included
  long long kept = 0;   // lines written
  std::optional<Failure> failure;
  std::vector<long long> tally;  // free for the processing function's own counts
};

// Calls `line` for each line of the chunk (without its end), in order, until it returns false.
template <class F>
void forEachLine(const Chunk& c, F&& line);

// Splits a file into chunks. Lines longer than `keep` bytes that do not fit a chunk
// keep only their first `keep` bytes (bounded memory on a file without CR).
class ChunkSplitter {
 public:
  ChunkSplitter(ByteSource& source, std::size_t keep, std::size_t chunkBytes);
  // Fills `c` with the next chunk; false at the end of the file or on a read failure.
  // Chunks are at least `keep` + 2 bytes.
  bool next(Chunk& c);
  const std::optional<Failure>& error() const { return error_; }

 private:
  bool fill(std::vector<char>& buf, std::size_t& n);
  ByteSource& source_;
  std::size_t keep_, chunkBytes_;
  std::vector<char> carry_;
  long long read_ = 0;  // bytes read from the source so far
  bool eof_ = false, first_ = true;
  std::optional<Failure> error_;
};

struct PipelineResult {
  long long lines = 0, kept = 0, bytes = 0;
  std::optional<Failure> failure;
};

// Runs every chunk of the sources through `process` on `threads` workers (0: on the
// calling thread), and hands the chunks to `collect` in order on the calling thread.
// `collect` returns a failure to stop; a chunk's own failure stops after it is collected.
// `progress` gets the counts of lines and bytes read after each collected chunk.
PipelineResult runPipeline(const std::vector<ByteSource*>& sources, std::size_t keep, std::size_t chunkBytes,
                           int threads, const std::function<void(Chunk&)>& process,
                           const std::function<std::optional<Failure>(const Chunk&)>& collect,
                           const std::function<void(long long lines, long long bytes)>& progress);

// The worker count for this machine: one per core beyond the first, at least one.
int defaultWorkerCount();

// Calls `line` for each line of a source, in order, on the calling thread, until it
// returns false; lines longer than `keep` bytes give only their head. Returns the read
// failure, if any.
std::optional<Failure> forEachLineOf(ByteSource& source, std::size_t keep, std::size_t chunkBytes,
                                     const std::function<bool(std::string_view line)>& line);

template <class F>
void forEachLine(const Chunk& c, F&& line) {
  const char* p = c.bytes.data();
  const char* end = p + c.size;
  if (c.afterCr && p < end && *p == '\n') ++p;
  while (p < end) {
    const char* cr = static_cast<const char*>(std::memchr(p, '\r', std::size_t(end - p)));
    const char* stop = cr ? cr : end;
    if (!line(std::string_view(p, std::size_t(stop - p)))) return;
    if (!cr) return;
    p = cr + 1;
    if (p < end && *p == '\n') ++p;
  }
}

}  // namespace h7
