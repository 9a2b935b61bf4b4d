#include "extract/linereader.h"

#include <algorithm>
#include <cstring>

namespace h7 {

LineReader::LineReader(ByteSource& source, std::size_t keep, std::size_t block)
    : source_(source), keep_(keep), buf_(std::max<std::size_t>(block, 16)) {}

bool LineReader::fill() {
  if (eof_ || error_) return false;
  if (begin_ > 0) {  // move the unread rest to the front
    std::memmove(buf_.data(), buf_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buf_.size()) buf_.resize(buf_.size() * 2);
  std::ptrdiff_t n = source_.read(buf_.data() + end_, buf_.size() - end_);
  if (n < 0) {
    error_ = source_.errorDescription();
    return false;
  }
  if (n == 0) {
    eof_ = true;
    return false;
  }
  end_ += std::size_t(n);
  return true;
}

bool LineReader::next(std::string_view& line) {
  if (afterCr_) {
    if (begin_ == end_) fill();
    if (begin_ < end_ && buf_[begin_] == '\n') ++begin_;
    afterCr_ = false;
  }
  std::size_t scanned = begin_;  // bytes before this have no CR
  for (;;) {
    const char* base = buf_.data();
    const void* cr = std::memchr(base + scanned, '\r', end_ - scanned);
    if (cr) {
      std::size_t at = std::size_t(static_cast<const char*>(cr) - base);
      line = std::string_view(base + begin_, std::min(at - begin_, keep_));
      begin_ = at + 1;
      afterCr_ = true;
      return true;
    }
    scanned = end_;
    if (end_ - begin_ > keep_ && end_ - begin_ >= buf_.size() / 2) return skipRestOfLongLine(line);
    std::size_t kept = begin_;
    if (!fill()) {
      if (error_) return false;
      if (begin_ == end_) return false;
      line = std::string_view(buf_.data() + begin_, std::min(end_ - begin_, keep_));
      begin_ = end_;
      return true;
    }
    scanned -= kept - begin_;  // fill() moved the rest to the front
  }
}

// The line is longer than anything kept: keep its head, drop blocks up to its end.
bool LineReader::skipRestOfLongLine(std::string_view& line) {
  longLine_.assign(buf_.data() + begin_, keep_);
  begin_ = end_ = 0;
  for (;;) {
    std::ptrdiff_t n = source_.read(buf_.data(), buf_.size());
    if (n < 0) {
      error_ = source_.errorDescription();
      return false;
    }
    if (n == 0) {
      eof_ = true;
      break;
    }
    end_ = std::size_t(n);
    if (const void* cr = std::memchr(buf_.data(), '\r', end_)) {
      begin_ = std::size_t(static_cast<const char*>(cr) - buf_.data()) + 1;
      afterCr_ = true;
      break;
    }
    end_ = 0;
  }
  line = longLine_;
  return true;
}

}  // namespace h7
