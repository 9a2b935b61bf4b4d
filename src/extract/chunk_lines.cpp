// The line splitter: a file's line ends (lineEndOf) and the lines of a chunk (ChunkLines).
#include <algorithm>
#include <cstring>

#include "extract/chunks.h"
#include "extract/kernels/kernels.h"

namespace h7 {

namespace {

// Past the end of its range a chunk reads only its last line's rest, in steps of this size.
constexpr std::size_t kOverrunStep = 4096;

// How much of a file's start tells its line ends, and how far the look goes on for a CR.
constexpr std::size_t kLineEndProbe = 64 * 1024;
constexpr long long kLineEndLookMost = 16LL << 20;

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

ChunkLines::ChunkLines(const Kernels& kernels, ByteSource& source, long long begin, long long end, std::size_t keep,
                       std::vector<char>& block, char eol, std::size_t longLine)
    : kernels_(kernels),
      source_(source),
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
    const char* lineEnd = findEnd(buf_ + at_, buf_ + n_);
    if (!lineEnd) {
      at_ = n_;
      if (pos_ + (long long)n_ >= end_) return false;  // any later line end starts a line past the end
      continue;
    }
    at_ = std::size_t(lineEnd - buf_) + 1;
    if (!haveByte()) return false;  // nothing follows the line end: no line starts there
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
    // The line end, noting whether a byte before it is 0x80 or above, so that the line
    // need not be scanned again for double-byte characters.
    if (const char* lineEnd = kernels_.findLineEnd(buf_ + from, buf_ + n_, eol_, high_)) {
      std::size_t length = std::size_t(lineEnd - buf_) - at_;
      if (eol_ == '\n' && length > 0 && lineEnd[-1] == '\r') --length;  // CR LF ends a line in LF mode too
      line = std::string_view(buf_ + at_, length);
      if (longLine_ && length > longLine_) kind_ = holdsOtherEnd(line) ? LineKind::Mixed : LineKind::Long;
      at_ = std::size_t(lineEnd - buf_) + 1;
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
    from = n_;  // no line end before here
    if (n_ == cap_) {
      from -= at_;
      dropBefore(at_);
    }
    if (!readMore()) return done_ = true, false;
  }
}

std::optional<Failure> forEachLineOf(ByteSource& source, std::size_t keep, std::size_t blockBytes,
                                     const std::function<bool(std::string_view)>& line, std::size_t longLine) {
  std::vector<char> block(std::max(blockBytes, keep + 2));
  Chunk c;
  c.kernels = kernelsFor(KernelId::Scalar);  // small files, whose lines are not scanned for high bytes
  c.source = &source;
  c.eol = lineEndOf(source);
  c.keep = keep;
  c.longLine = longLine;
  c.block = &block;
  forEachLine(c, line);
  return c.failure;
}

}  // namespace h7
