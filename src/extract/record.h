// Census data records by character position, and the lines of the output file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "extract/byte_buffer.h"

namespace h7 {

// Positions 16-17, 18-20, 21-26 and the item field of item position k at 51 + 10(k - 1).
constexpr std::size_t kPrefecturePos = 16, kPrefectureLen = 2;
constexpr std::size_t kMunicipalityPos = 18, kMunicipalityLen = 3;
constexpr std::size_t kAreaPos = 21, kAreaLen = 6;
constexpr std::size_t kKeyPos = kPrefecturePos, kKeyLen = kPrefectureLen + kMunicipalityLen + kAreaLen;  // the whole code
constexpr std::size_t kFieldWidth = 10;
constexpr std::size_t fieldPosition(int itemPosition) { return 41 + kFieldWidth * std::size_t(itemPosition); }  // itemPosition >= 0

// The characters of one record line, addressed by 1-based character position. A
// double-byte Shift-JIS character is one position. Behind the last double-byte character
// positions are byte offsets, shifted by the bytes those characters add: most lines have
// none, or only an area name in front of the item fields.
class RecordView {
 public:
  // `lastPosition`: the last character position that will be asked for. A line known to
  // hold no byte of 0x80 or above is not scanned for double-byte characters.
  void reset(std::string_view line, std::size_t lastPosition, bool mayHoldHighBytes = true);
  // `count` characters from `position`; fewer (or none) where the line ends first.
  std::string_view chars(std::size_t position, std::size_t count) const;

  // From this position on, position p is byte p - 1 of plainPart().
  std::size_t plainFrom() const { return plainChars_ + 1; }
  std::string_view plainPart() const { return line_.substr(shift_); }

 private:
  std::string_view line_;
  std::size_t shift_ = 0;              // bytes the double-byte characters add
  std::size_t plainChars_ = 0;         // characters up to the last double-byte one
  std::vector<std::size_t> offsets_;   // byte offset of each of those characters, plus the end
};

// Bytes a line may need to be kept to hold `lastPosition` characters.
constexpr std::size_t bytesToKeep(std::size_t lastPosition) { return 2 * lastPosition + 2; }

// CSV pieces. Quoted text doubles inner quotation marks; a raw value is quoted only
// when it holds a comma, a quotation mark or a line feed.
void appendQuoted(ByteBuffer& out, std::string_view text);
void appendRawValue(ByteBuffer& out, std::string_view field);
// The numeric value of a field in canonical form; false when it does not fit a double.
bool appendNumerified(ByteBuffer& out, std::string_view field);

// Output fields that sit side by side in the record: `count` fields from byte `offset`.
struct FieldRun {
  std::size_t offset = 0, count = 0;
};

struct RecordLayout {
  std::vector<int> positions;  // item positions of the output, in order (0..1400)
  std::vector<std::size_t> offsets;  // byte offset of each field where positions are bytes
  std::vector<FieldRun> runs;        // the same fields, neighbours in the output and the record joined
  std::size_t firstPosition = 0;     // the first character position of the fields
  bool numerify = false;
  bool key = false;  // a first column: the area's whole code, positions 16-26
  // The long form: a line per output item, with the label of its item position
  // (",NUMBER,\"NAME\"") before its value.
  std::vector<std::string> longLabels;
  std::size_t lastPosition = kAreaPos + kAreaLen - 1;  // last character position read
};
RecordLayout makeLayout(std::vector<int> positions, bool numerify);

// The output line of one record (the lines, in the long form), with CR LF; false when a
// numerified value overflows.
bool appendRecordLine(ByteBuffer& out, const RecordView& record, const RecordLayout& layout);
// The long form's line of output item `item` of a record.
bool appendLongLine(ByteBuffer& out, const RecordView& record, const RecordLayout& layout, std::size_t item);

// Whether runs of fields are written five at a time with 512-bit vector instructions; on
// where the processor has them. Tests turn it off to check the one-field-at-a-time path.
bool wideFieldsAvailable();
void useWideFields(bool on);

}  // namespace h7
