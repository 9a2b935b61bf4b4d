#include "extract/chunks.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace h7 {

ChunkSplitter::ChunkSplitter(ByteSource& source, std::size_t keep, std::size_t chunkBytes)
    : source_(source), keep_(std::max<std::size_t>(keep, 1)), chunkBytes_(std::max(chunkBytes, keep_ + 2)) {}

// Reads until the buffer is full or the file ends.
bool ChunkSplitter::fill(std::vector<char>& buf, std::size_t& n) {
  while (n < buf.size() && !eof_) {
    std::ptrdiff_t r = source_.read(buf.data() + n, buf.size() - n);
    if (r < 0) {
      error_ = source_.readFailure();
      return false;
    }
    if (r == 0) eof_ = true;
    n += std::size_t(r);
    read_ += r;
  }
  return true;
}

bool ChunkSplitter::next(Chunk& c) {
  const long long before = read_ - (long long)carry_.size();
  auto covered = [&] { c.inputBytes = read_ - (long long)carry_.size() - before; };
  c.bytes.resize(chunkBytes_);
  c.afterCr = !first_;
  std::size_t n = std::min(carry_.size(), c.bytes.size());
  std::copy_n(carry_.begin(), n, c.bytes.begin());
  carry_.clear();
  if (!fill(c.bytes, n)) return false;
  if (n == 0) return false;
  first_ = false;

  // Whole lines: up to the last CR; the rest goes in front of the next chunk.
  const char* base = c.bytes.data();
  const char* lastCr = nullptr;
  for (const char* p = base + n; p > base;)
    if (*--p == '\r') {
      lastCr = p;
      break;
    }
  if (lastCr) {
    c.size = std::size_t(lastCr - base) + 1;
    carry_.assign(base + c.size, base + n);
    covered();
    return true;
  }
  if (eof_) {  // the last line, without a line end
    c.size = n;
    covered();
    return true;
  }
  // One line fills the chunk: keep its head (behind the LF of the last line end), skip to its end.
  c.size = (c.afterCr && c.bytes[0] == '\n' ? 1 : 0) + keep_;
  c.bytes[c.size++] = '\r';
  std::vector<char> scratch(std::min<std::size_t>(chunkBytes_, 1 << 20));
  for (;;) {
    std::size_t got = 0;
    if (!fill(scratch, got)) return false;
    if (got == 0) {
      --c.size;  // the line ends with the file
      covered();
      return true;
    }
    if (const void* cr = std::memchr(scratch.data(), '\r', got)) {
      const char* after = static_cast<const char*>(cr) + 1;
      carry_.assign(after, static_cast<const char*>(scratch.data() + got));
      covered();
      return true;
    }
  }
}

int defaultWorkerCount() {
  unsigned cores = std::thread::hardware_concurrency();
  return cores > 2 ? int(cores) - 1 : (cores == 2 ? 2 : 1);
}

namespace {

struct Job {
  Chunk chunk;
  bool done = false;
};

// Hands jobs to worker threads; jobs finish in any order, the caller collects in order.
class Workers {
 public:
  Workers(int count, const std::function<void(Chunk&)>& process) : process_(process) {
    for (int i = 0; i < count; ++i) threads_.emplace_back([this] { work(); });
  }
  ~Workers() {  // jobs not yet started are dropped; running ones finish
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
      todo_.clear();
    }
    wake_.notify_all();
    for (auto& t : threads_) t.join();
  }
  void submit(Job* job) {
    {
      std::lock_guard lock(mutex_);
      todo_.push_back(job);
    }
    wake_.notify_one();
  }
  void wait(Job* job) {
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return job->done; });
  }

 private:
  void work() {
    for (;;) {
      Job* job;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return stopping_ || !todo_.empty(); });
        if (todo_.empty()) return;
        job = todo_.front();
        todo_.pop_front();
      }
      process_(job->chunk);
      {
        std::lock_guard lock(mutex_);
        job->done = true;
      }
      finished_.notify_all();
    }
  }

  const std::function<void(Chunk&)>& process_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable wake_, finished_;
  std::deque<Job*> todo_;
  bool stopping_ = false;
};

}  // namespace

PipelineResult runPipeline(const std::vector<ByteSource*>& sources, std::size_t keep, std::size_t chunkBytes,
                           int threads, const std::function<void(Chunk&)>& process,
                           const std::function<std::optional<Failure>(const Chunk&)>& collect,
                           const std::function<void(long long lines, long long bytes)>& progress) {
  PipelineResult result;
  const std::size_t maxInFlight = threads > 0 ? std::size_t(threads) * 3 : 1;
  std::deque<std::unique_ptr<Job>> inFlight, spare;
  // Declared after the jobs so that its threads are joined before the jobs go away.
  std::unique_ptr<Workers> workers = threads > 0 ? std::make_unique<Workers>(threads, process) : nullptr;
  std::optional<Failure> readFailure;

  std::size_t sourceIndex = 0;
  std::unique_ptr<ChunkSplitter> splitter;
  auto nextChunk = [&](Chunk& c) -> bool {
    while (!readFailure) {
      if (!splitter) {
        if (sourceIndex == sources.size()) return false;
        splitter = std::make_unique<ChunkSplitter>(*sources[sourceIndex++], keep, chunkBytes);
      }
      if (splitter->next(c)) return true;
      readFailure = splitter->error();
      splitter.reset();
    }
    return false;
  };

  bool inputDone = false;
  for (;;) {
    while (!inputDone && inFlight.size() < maxInFlight) {
      std::unique_ptr<Job> job;
      if (spare.empty()) job = std::make_unique<Job>();
      else {
        job = std::move(spare.front());
        spare.pop_front();
      }
      job->done = false;
      job->chunk.out.clear();
      job->chunk.lines = job->chunk.kept = 0;
      job->chunk.failure.reset();
      std::fill(job->chunk.tally.begin(), job->chunk.tally.end(), 0);
      if (!nextChunk(job->chunk)) {
        inputDone = true;
        break;
      }
      if (workers) workers->submit(job.get());
      else {
        process(job->chunk);
        job->done = true;
      }
      inFlight.push_back(std::move(job));
    }
    if (inFlight.empty()) break;
    Job* front = inFlight.front().get();
    if (workers) workers->wait(front);
    result.lines += front->chunk.lines;
    result.kept += front->chunk.kept;
    result.bytes += front->chunk.inputBytes;
    std::optional<Failure> failure = collect(front->chunk);
    if (!failure) failure = front->chunk.failure;
    if (failure) {
      result.failure = failure;
      return result;  // the workers finish what they hold and stop
    }
    if (progress) progress(result.lines, result.bytes);
    spare.push_back(std::move(inFlight.front()));
    inFlight.pop_front();
  }
  result.failure = readFailure;
  return result;
}

std::optional<Failure> forEachLineOf(ByteSource& source, std::size_t keep, std::size_t chunkBytes,
                                     const std::function<bool(std::string_view)>& line) {
  ChunkSplitter splitter(source, keep, chunkBytes);
  Chunk c;
  bool more = true;
  while (more && splitter.next(c)) forEachLine(c, [&](std::string_view l) { return more = line(l); });
  return splitter.error();
}

}  // namespace h7
