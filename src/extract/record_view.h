// Census data records by character position.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "core/field_width.h"
#include "extract/kernels/kernels.h"

namespace h7 {

// Positions 16-17, 18-20, 21-26 and the item field of item position k at 51 + 10(k - 1).
constexpr std::size_t kPrefecturePos = 16, kPrefectureLen = 2;
constexpr std::size_t kMunicipalityPos = 18, kMunicipalityLen = 3;
constexpr std::size_t kAreaPos = 21, kAreaLen = 6;
constexpr std::size_t kKeyPos = kPrefecturePos, kKeyLen = kPrefectureLen + kMunicipalityLen + kAreaLen;  // the whole code
constexpr std::size_t fieldPosition(int itemPosition) { return 41 + kFieldWidth * std::size_t(itemPosition); }  // itemPosition >= 0

// The code columns' labels (UTF-8), in output order, and the whole code's, the join key of
// small-area boundaries.
inline constexpr const char* kCodeLabels[] = {"県", "市区町村", "町丁･字等"};
inline constexpr const char* kKeyLabel = "KEY_CODE";

// Characters of a record of `fields` item fields.
constexpr std::size_t recordLength(int fields) { return fieldPosition(fields) + kFieldWidth - 1; }

// Bytes a line may need to be kept to hold `lastPosition` characters.
constexpr std::size_t bytesToKeep(std::size_t lastPosition) { return 2 * lastPosition + 2; }

// The characters of one record line, addressed by 1-based character position. A
// double-byte Shift-JIS character is one position. Behind the last double-byte character
// positions are byte offsets, shifted by the bytes those characters add: most lines have
// none, or only an area name in front of the item fields.
class RecordView {
 public:
  explicit RecordView(const Kernels& kernels) : kernels_(&kernels) {}
  // `lastPosition`: the last character position that will be asked for. A line known to
  // hold no byte of 0x80 or above is not scanned for double-byte characters.
  void reset(std::string_view line, std::size_t lastPosition, bool mayHoldHighBytes = true);
  // `count` characters from `position`; fewer (or none) where the line ends first.
  std::string_view chars(std::size_t position, std::size_t count) const;

  // From this position on, position p is byte p - 1 of plainPart().
  std::size_t plainFrom() const { return plainChars_ + 1; }
  std::string_view plainPart() const { return line_.substr(shift_); }

 private:
  const Kernels* kernels_;
  std::string_view line_;
  std::size_t shift_ = 0;              // bytes the double-byte characters add
  std::size_t plainChars_ = 0;         // characters up to the last double-byte one
  std::vector<std::size_t> offsets_;   // byte offset of each of those characters, plus the end
};

}  // namespace h7
