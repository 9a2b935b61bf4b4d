// The pipeline: chunks of whole lines processed by worker threads and collected in order.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "extract/chunks.h"

namespace h7 {

namespace {

// Bytes a worker reads at a time: small enough to stay in its cache while its lines are
// cut and processed.
constexpr std::size_t kBlockBytes = 128 * 1024;

}  // namespace

int defaultWorkerCount() {
  unsigned cores = std::thread::hardware_concurrency();
  return cores > 2 ? int(cores) - 1 : (cores == 2 ? 2 : 1);
}

namespace {

// The chunks of all sources, in order: each file cut at multiples of `bytes`; a file of
// unknown size is one chunk, read in order.
std::vector<Chunk> cutIntoChunks(const Kernels& kernels, const std::vector<ByteSource*>& sources, std::size_t keep,
                                 std::size_t longLine, std::size_t bytes) {
  std::vector<Chunk> chunks;
  for (ByteSource* s : sources) {
    const long long size = s->size();
    const long long step = (long long)std::max<std::size_t>(bytes, 1);
    const char eol = lineEndOf(*s);
    for (long long begin = 0;; begin += step) {
      Chunk& c = chunks.emplace_back();
      c.kernels = &kernels;
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

PipelineResult runPipeline(const Kernels& kernels, const std::vector<ByteSource*>& sources, std::size_t keep,
                           std::size_t longLine, std::size_t chunkBytes, int threads,
                           const std::function<void(Chunk&)>& process,
                           const std::function<std::optional<Failure>(Chunk&)>& collect,
                           const std::function<void(long long lines, long long bytes)>& progress) {
  PipelineResult result;
  std::vector<Chunk> plan = cutIntoChunks(kernels, sources, keep, longLine, chunkBytes);
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

}  // namespace h7
