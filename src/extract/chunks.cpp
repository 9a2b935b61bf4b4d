#include "extract/chunks.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "extract/kernels/kernels.h"

namespace h7 {

namespace {

// Bytes a worker reads at a time: small enough to stay in its cache while its lines are
// cut and processed.
constexpr std::size_t kBlockBytes = 128 * 1024;
// Past the end of its range a chunk reads only its last line's rest, in steps of this size.
constexpr std::size_t kOverrunStep = 4096;

// How much of a file's start tells its line ends, and how far the look goes on for a CR.
constexpr std::size_t kLineEndProbe = 64 * 1024;
constexpr long long kLineEndLookMost = 16LL << 20;

// The first `eol` in [from, to), or nullptr; notes in `high` whether a byte before it is
// 0x80 or above, so that a line need not be scanned again for double-byte characters.
const char* findEndNotingHigh(const char* from, const char* to, char eol, bool& high) {
  return activeKernels().findLineEnd(from, to, eol, high);
}

}  // namespace

char lineEndOf(ByteSource& source) {
  std::vector<char> block(kLineEndProbe);
  bool lf = false;
  for (long long at = 0; at < kLineEndLookMost;) {
    std::size_t n = 0;  // a whole block, but for the file's end
    while (n < block.size()) {
      const std::ptrdiff_t r = source.readAt(at + (long long)n, block.data() + n, block.size() - n);
      if (r <= 0) break;  // a read failure shows again when the lines are read
      n += std::size_t(r);
    }
    const char* end = block.data() + n;
    if (findByte(block.data(), end, '\r')) return '\r';
    lf = lf || findByte(block.data(), end, '\n');
    if (n < block.size()) break;  // the end
    at += (long long)n;
  }
  return lf ? '\n' : '\r';
}

ChunkLines::ChunkLines(ByteSource& source, long long begin, long long end, std::size_t keep, std::vector<char>& block,
                       char eol, std::size_t longLine)
    : source_(source),
      begin_(begin),
      end_(end),
      eol_(eol),
      keep_(std::max<std::size_t>(keep, 1)),
      longLine_(longLine),
      buf_(block.data()),
      cap_(block.size()),
      pos_(std::max(0LL, begin - 2)) {}

bool ChunkLines::readMore() {
  if (eof_) return true;
  std::size_t want = cap_ - n_;
  const long long offset = pos_ + (long long)n_;
  if (offset >= end_ && !skipping_) want = std::min(want, kOverrunStep);
  const std::ptrdiff_t r = source_.readAt(offset, buf_ + n_, want);
  if (r < 0) {
    failure_ = source_.readFailure();
    return false;
  }
  if (r == 0) eof_ = true;
  n_ += std::size_t(r);
  return true;
}

void ChunkLines::dropBefore(std::size_t index) {
  std::memmove(buf_, buf_ + index, n_ - index);
  pos_ += (long long)index;
  n_ -= index;
  at_ -= index;
}

bool ChunkLines::haveByte() {
  while (at_ >= n_) {
    if (eof_) return false;
    dropBefore(at_);
    if (!readMore()) return false;
  }
  return true;
}

const char* ChunkLines::findEnd(const char* from, const char* to) const { return findByte(from, to, eol_); }

// A chunk's first line starts right after a line end (a CR and its LF), at or after
// `begin`; the line that starts before belongs to the chunk before. A line starting at
// the file's start belongs to the first chunk.
bool ChunkLines::findFirstStart() {
  if (begin_ == 0) return true;
  for (;;) {
    if (!haveByte()) return false;
    const char* cr = findEnd(buf_ + at_, buf_ + n_);
    if (!cr) {
      at_ = n_;
      if (pos_ + (long long)n_ >= end_) return false;  // any later CR starts a line past the end
      continue;
    }
    at_ = std::size_t(cr - buf_) + 1;
    if (!haveByte()) return false;  // nothing follows the CR: no line starts there
    const long long start = pos_ + (long long)at_ + (eol_ == '\r' && buf_[at_] == '\n');
    if (start >= begin_) {
      afterCr_ = eol_ == '\r';
      return true;
    }
  }
}

bool ChunkLines::holdsOtherEnd(std::string_view part) const {
  return part.find(eol_ == '\r' ? '\n' : '\r') != part.npos;
}

bool ChunkLines::skipToLineEnd() {
  std::size_t length = 0;  // of the whole line, and whether it holds the other line end byte
  bool other = false;
  const auto note = [&](std::string_view part) {
    length += part.size();
    other = other || (longLine_ && holdsOtherEnd(part));
  };
  for (;;) {
    // A CR last in the block may begin a CR LF in LF mode: it is looked at again with what follows.
    const bool crLast = eol_ == '\n' && !eof_ && n_ > at_ && buf_[n_ - 1] == '\r';
    note({buf_ + at_, n_ - at_ - crLast});
    at_ = n_ - crLast;
    dropBefore(at_);
    const bool more = readMore() && n_ > 0;
    const char* end = more ? findEnd(buf_, buf_ + n_) : nullptr;
    if (end) note({buf_, std::size_t(end - buf_) - (eol_ == '\n' && end > buf_ && end[-1] == '\r')});
    if (!more || end) {
      if (longLine_ && length > longLine_) kind_ = other ? LineKind::Mixed : LineKind::Long;
      if (!end) return false;
      at_ = std::size_t(end - buf_) + 1;
      afterCr_ = eol_ == '\r';
      skipping_ = false;
      return true;
    }
  }
}

bool ChunkLines::next(std::string_view& line) {
  if (done_) return false;
  if (!started_) {
    started_ = true;
    if (!findFirstStart()) return done_ = true, false;
  }
  if (!haveByte()) return done_ = true, false;
  if (afterCr_ && buf_[at_] == '\n') {
    ++at_;
    if (!haveByte()) return done_ = true, false;
  }
  afterCr_ = false;
  if (pos_ + (long long)at_ >= end_) return done_ = true, false;  // the next chunk's line

  std::size_t from = at_;
  high_ = false;
  kind_ = LineKind::Plain;
  for (;;) {
    if (const char* cr = findEndNotingHigh(buf_ + from, buf_ + n_, eol_, high_)) {
      std::size_t length = std::size_t(cr - buf_) - at_;
      if (eol_ == '\n' && length > 0 && cr[-1] == '\r') --length;  // CR LF ends a line in LF mode too
      line = std::string_view(buf_ + at_, length);
      if (longLine_ && length > longLine_) kind_ = holdsOtherEnd(line) ? LineKind::Mixed : LineKind::Long;
      at_ = std::size_t(cr - buf_) + 1;
      afterCr_ = eol_ == '\r';
      return true;
    }
    if (eof_) {  // the last line, without a line end
      line = std::string_view(buf_ + at_, n_ - at_);
      if (longLine_ && line.size() > longLine_) kind_ = holdsOtherEnd(line) ? LineKind::Mixed : LineKind::Long;
      at_ = n_;
      done_ = true;
      return true;
    }
    if (n_ == cap_ && at_ == 0) {  // one line fills the block: its head kept aside, then on to its end
      head_.assign(buf_, keep_);
      skipping_ = true;
      if (!skipToLineEnd()) done_ = true;  // the line ends with the file, or the read failure shows next
      line = head_;
      return true;
    }
    from = n_;  // no CR before here
    if (n_ == cap_) {
      from -= at_;
      dropBefore(at_);
    }
    if (!readMore()) return done_ = true, false;
  }
}

int defaultWorkerCount() {
  unsigned cores = std::thread::hardware_concurrency();
  return cores > 2 ? int(cores) - 1 : (cores == 2 ? 2 : 1);
}

namespace {

// The chunks of all sources, in order: each file cut at multiples of `bytes`; a file of
// unknown size is one chunk, read in order.
std::vector<Chunk> cutIntoChunks(const std::vector<ByteSource*>& sources, std::size_t keep, std::size_t longLine,
                                 std::size_t bytes) {
  std::vector<Chunk> chunks;
  for (ByteSource* s : sources) {
    const long long size = s->size();
    const long long step = (long long)std::max<std::size_t>(bytes, 1);
    const char eol = lineEndOf(*s);
    for (long long begin = 0;; begin += step) {
      Chunk& c = chunks.emplace_back();
      c.source = s;
      c.eol = eol;
      c.keep = keep;
      c.longLine = longLine;
      c.begin = begin;
      if (size < 0 || begin + step >= size) break;  // the last one reads on to the end
      c.end = begin + step;
      c.inputBytes = step;
    }
  }
  return chunks;
}

// How often the waiting caller hears of the run, however slowly the data arrives.
constexpr auto kTick = std::chrono::milliseconds(50);

// Worker threads that take the chunks in order, at most `slotCount` ahead of the collector.
// Each chunk's results live in slot (index % slotCount) until it is collected. A worker
// whose output grows past a piece waits with it until the collector has taken it.
class Workers {
 public:
  Workers(std::vector<Chunk>& plan, std::size_t slotCount, int count, std::size_t blockBytes,
          const std::function<void(Chunk&)>& process)
      : plan_(plan), slots_(slotCount), state_(slotCount, Idle), buffers_(slotCount), process_(process) {
    for (int i = 0; i < count; ++i) threads_.emplace_back([this, blockBytes] { work(blockBytes); });
  }
  ~Workers() {  // chunks not yet started are dropped; running ones stop at their next piece or finish
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    room_.notify_all();
    for (auto& t : threads_) t.join();
  }
  // Waits until chunk `index` is processed (true) or holds a piece (false), calling `tick`
  // every 50 ms meanwhile.
  bool wait(std::size_t index, const std::function<void()>& tick) {
    std::unique_lock lock(mutex_);
    while (!finished_.wait_for(lock, kTick, [&] { return state_[index % slots_] != Idle; })) {
      lock.unlock();
      tick();
      lock.lock();
    }
    return state_[index % slots_] == Done;
  }
  // The piece of chunk `index` is collected: its worker goes on.
  void resume(std::size_t index) {
    {
      std::lock_guard lock(mutex_);
      state_[index % slots_] = Idle;
    }
    room_.notify_all();
  }
  // Chunk `index` is collected: its slot is free for a later chunk.
  void release(std::size_t index) {
    {
      std::lock_guard lock(mutex_);
      state_[index % slots_] = Idle;
      std::swap(buffers_[index % slots_], plan_[index].out);
      ++collected_;
    }
    room_.notify_all();
  }

 private:
  enum State { Idle, Piece, Done };

  // Called by a worker whose chunk holds a piece: false when the run stops.
  bool handOff(std::size_t index) {
    std::unique_lock lock(mutex_);
    state_[index % slots_] = Piece;
    finished_.notify_all();
    room_.wait(lock, [&] { return stopping_ || state_[index % slots_] == Idle; });
    return !stopping_;
  }

  void work(std::size_t blockBytes) {
    std::vector<char> block(blockBytes);
    for (;;) {
      std::size_t index;
      {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [&] { return stopping_ || next_ == plan_.size() || next_ < collected_ + slots_; });
        if (stopping_ || next_ == plan_.size()) return;
        index = next_++;
        std::swap(buffers_[index % slots_], plan_[index].out);
      }
      Chunk& c = plan_[index];
      c.out.clear();
      c.block = &block;
      c.handOff = [this, index](Chunk&) { return handOff(index); };
      process_(c);
      c.block = nullptr;
      {
        std::lock_guard lock(mutex_);
        state_[index % slots_] = Done;
      }
      finished_.notify_all();
    }
  }

  std::vector<Chunk>& plan_;
  const std::size_t slots_;
  std::vector<State> state_;
  std::vector<ByteBuffer> buffers_;  // output room of each slot, reused from chunk to chunk
  const std::function<void(Chunk&)>& process_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable room_, finished_;
  std::size_t next_ = 0, collected_ = 0;
  bool stopping_ = false;
};

}  // namespace

PipelineResult runPipeline(const std::vector<ByteSource*>& sources, std::size_t keep, std::size_t longLine,
                           std::size_t chunkBytes, int threads, const std::function<void(Chunk&)>& process,
                           const std::function<std::optional<Failure>(Chunk&)>& collect,
                           const std::function<void(long long lines, long long bytes)>& progress) {
  PipelineResult result;
  std::vector<Chunk> plan = cutIntoChunks(sources, keep, longLine, chunkBytes);
  const std::size_t blockBytes = std::max(std::min(chunkBytes, kBlockBytes), keep + 2);
  std::vector<char> block;  // the calling thread's, without workers
  ByteBuffer spare;
  long long fileLines = 0;  // lines of the chunk's file in the chunks before it
  long long toldLines = 0, toldBytes = 0;
  const auto tellAgain = [&] {
    if (progress) progress(toldLines, toldBytes);
  };
  const auto tell = [&](const Chunk& c) {  // while its worker waits or is done
    toldLines = result.lines + c.lines;
    toldBytes = result.bytes + c.inputBytes;
    tellAgain();
  };
  // The output made so far goes to `collect`; false when it fails.
  const auto collectPiece = [&](Chunk& c) {
    if (auto failure = collect(c)) {
      result.failure = failure;
      return false;
    }
    c.out.clear();
    std::fill(c.tally.begin(), c.tally.end(), 0);
    return true;
  };
  // Declared after the plan so that its threads are joined before the chunks go away.
  std::unique_ptr<Workers> workers;
  if (threads > 0) workers = std::make_unique<Workers>(plan, std::size_t(threads) * 2, threads, blockBytes, process);
  else block.resize(blockBytes);

  for (std::size_t i = 0; i < plan.size(); ++i) {
    Chunk& c = plan[i];
    if (i > 0 && plan[i - 1].source != c.source) fileLines = 0;
    if (workers) {
      while (!workers->wait(i, tellAgain)) {  // a piece, its worker waiting
        if (!collectPiece(c)) return result;  // the workers stop at their next piece or finish
        tell(c);
        workers->resume(i);
      }
    } else {
      c.block = &block;
      std::swap(c.out, spare);
      c.out.clear();
      c.handOff = [&](Chunk& piece) { return collectPiece(piece) && (tell(piece), true); };
      process(c);
      if (result.failure) return result;
    }
    result.lines += c.lines;
    result.kept += c.kept;
    result.bytes += c.inputBytes;
    if (c.firstLongLine && (result.longLines.empty() || result.longLines.back().first != c.source))
      result.longLines.emplace_back(c.source, fileLines + c.firstLongLine);
    if (!collectPiece(c)) return result;
    if (c.failure) {
      result.failure = c.failure;
      result.failedSource = c.source;
      result.failedLine = c.readFailed ? 0 : fileLines + c.lines;
      return result;
    }
    fileLines += c.lines;
    toldLines = result.lines, toldBytes = result.bytes;
    tellAgain();
    if (workers) workers->release(i);
    else std::swap(c.out, spare);
  }
  return result;
}

std::optional<Failure> forEachLineOf(ByteSource& source, std::size_t keep, std::size_t blockBytes,
                                     const std::function<bool(std::string_view)>& line, std::size_t longLine) {
  std::vector<char> block(std::max(blockBytes, keep + 2));
  Chunk c;
  c.source = &source;
  c.eol = lineEndOf(source);
  c.keep = keep;
  c.longLine = longLine;
  c.block = &block;
  forEachLine(c, line);
  return c.failure;
}

}  // namespace h7
