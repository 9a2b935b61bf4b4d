#include "extract/record_view.h"

#include <algorithm>

#include "core/sjis.h"

namespace h7 {

void RecordView::reset(std::string_view line, std::size_t lastPosition, bool mayHoldHighBytes) {
  line_ = line;
  shift_ = plainChars_ = 0;
  if (!mayHoldHighBytes || !kernels_->anyHighByte(line.data(), std::min(line.size(), lastPosition))) return;
  // The last byte that may start a double-byte character among those that can be read.
  auto p = reinterpret_cast<const unsigned char*>(line.data());
  const auto end = p + line.size();
  const unsigned char* lastLead = p + std::min(line.size(), 2 * lastPosition);
  while (lastLead > p && !sjis::isLeadByte(*--lastLead)) {
  }
  if (!sjis::isLeadByte(*lastLead)) return;
  offsets_.clear();
  const unsigned char* at = p;
  while (at <= lastLead && offsets_.size() < lastPosition) {
    offsets_.push_back(std::size_t(at - p));
    at += sjis::charLength(at, end);
  }
  plainChars_ = offsets_.size();
  offsets_.push_back(std::size_t(at - p));
  shift_ = std::size_t(at - p) - plainChars_;
}

std::string_view RecordView::chars(std::size_t position, std::size_t count) const {
  const std::size_t first = position - 1, last = first + count;
  if (first >= plainChars_) {
    const std::size_t at = first + shift_;
    return at < line_.size() ? line_.substr(at, count) : std::string_view();
  }
  const std::size_t to = last <= plainChars_ ? offsets_[last] : std::min(line_.size(), last + shift_);
  return line_.substr(offsets_[first], to - offsets_[first]);
}

}  // namespace h7
