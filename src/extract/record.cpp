#include "extract/record.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cmath>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "core/numeric.h"
#include "core/sjis.h"

namespace h7 {

namespace {

// One pass over the bytes that are read: is any byte >= 0x80, is any a comma, a
// quotation mark or a line feed. 16 bytes at a time where SSE2 is there.
void classify(std::string_view head, bool& anyHigh, bool& anyCsvSpecial) {
  const char* p = head.data();
  const char* end = p + head.size();
  unsigned high = 0, special = 0;
#ifdef __SSE2__
  __m128i accHigh = _mm_setzero_si128(), accSpecial = _mm_setzero_si128();
  const __m128i comma = _mm_set1_epi8(','), quote = _mm_set1_epi8('"'), lf = _mm_set1_epi8('\n');
  for (; end - p >= 16; p += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    accHigh = _mm_or_si128(accHigh, v);
    accSpecial = _mm_or_si128(accSpecial, _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, comma), _mm_cmpeq_epi8(v, quote)),
                                                       _mm_cmpeq_epi8(v, lf)));
  }
  high = unsigned(_mm_movemask_epi8(accHigh));
  special = unsigned(_mm_movemask_epi8(accSpecial));
#endif
  for (; p < end; ++p) {
    unsigned char b = static_cast<unsigned char>(*p);
    high |= b & 0x80u;
    special |= (b == ',' || b == '"' || b == '\n');
  }
  anyHigh = high != 0;
  anyCsvSpecial = special != 0;
}

}  // namespace

void RecordView::reset(std::string_view line, std::size_t lastPosition) {
  line_ = line;
  std::string_view head = line.substr(0, std::min(line.size(), lastPosition));
  bool anyHigh = false, anySpecial = false;
  classify(head, anyHigh, anySpecial);
  csvPlain_ = !anySpecial;
  singleByte_ = !anyHigh || sjis::isSingleByte(head);
  if (singleByte_) return;
  csvPlain_ = false;  // a trail byte may look like anything but those three; keep it simple
  offsets_.clear();
  auto p = reinterpret_cast<const unsigned char*>(line.data());
  auto end = p + line.size();
  const unsigned char* at = p;
  while (at < end && offsets_.size() < lastPosition) {
    offsets_.push_back(std::size_t(at - p));
    at += sjis::charLength(at, end);
  }
  chars_ = offsets_.size();
  offsets_.push_back(std::size_t(at - p));
}

std::string_view RecordView::chars(std::size_t position, std::size_t count) const {
  std::size_t first = position - 1;
  if (singleByte_) return first < line_.size() ? line_.substr(first, count) : std::string_view();
  if (first >= chars_) return {};
  std::size_t last = std::min(first + count, chars_);
  return line_.substr(offsets_[first], offsets_[last] - offsets_[first]);
}

void appendQuoted(ByteBuffer& out, std::string_view text) {
  out.push_back('"');
  // Neither '"' nor ',' can be the second byte of a Shift-JIS character.
  while (true) {
    std::size_t q = text.find('"');
    if (q == std::string_view::npos) break;
    out.append(text.data(), q + 1);
    out.push_back('"');
    text.remove_prefix(q + 1);
  }
  out.append(text);
  out.push_back('"');
}

void appendRawValue(ByteBuffer& out, std::string_view field) {
  for (char c : field) {
    if (c == ',' || c == '"' || c == '\n') {
      appendQuoted(out, field);
      return;
    }
  }
  out.append(field);
}

namespace {

// A field of blanks around a plain decimal number ([-+]digits[.digits], at most 15
// significant digits, not below 0.0001) in canonical form, written straight from its
// digits: the double it reads as prints back the same digits. nullptr for anything else.
[[gnu::noinline]] char* writePlainDecimal(char* out, const char* f, std::size_t n) {
  char digits[16];
  int count = 0, intDigits = 0, zerosAfterPoint = 0;
  bool negative = false, any = false, point = false;
  std::size_t i = 0;
  while (i < n && f[i] == ' ') ++i;
  if (i < n && (f[i] == '-' || f[i] == '+')) negative = (f[i++] == '-');
  for (; i < n; ++i) {
    char c = f[i];
    if (c == ' ') continue;
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (c < '0' || c > '9') return nullptr;
    any = true;
    if (count == 0 && c == '0') {  // a leading zero
      if (point) ++zerosAfterPoint;
      continue;
    }
    if (count == 15) return nullptr;
    digits[count++] = c;
    if (!point) ++intDigits;
  }
  if (!any) return nullptr;
  int fraction = count - intDigits;
  while (fraction > 0 && digits[intDigits + fraction - 1] == '0') --fraction;
  if (intDigits == 0 && fraction == 0) {
    *out++ = '0';
    return out;
  }
  if (intDigits == 0 && zerosAfterPoint >= 4) return nullptr;  // takes the exponent form
  if (negative) *out++ = '-';
  std::memcpy(out, digits, std::size_t(intDigits));
  out += intDigits;
  if (fraction > 0) {
    *out++ = '.';
    for (int z = 0; z < zerosAfterPoint && intDigits == 0; ++z) *out++ = '0';
    std::memcpy(out, digits + intDigits, std::size_t(fraction));
    out += fraction;
  }
  return out;
}

// The most common field: blanks, then a whole number without leading zeros (or a lone
// 0). The blanks are counted eight at a time; the digits are moved as one 128-bit value
// into the room behind `out` (which has space for a whole field).
[[gnu::always_inline]] inline char* writeRightAlignedInteger(char* out, const char* f) {
  std::uint64_t head;
  std::uint16_t tail;
  std::memcpy(&head, f, 8);
  std::memcpy(&tail, f + 8, 2);
  const std::uint64_t notBlank = head ^ 0x2020202020202020ULL;
  std::size_t i = notBlank ? std::size_t(std::countr_zero(notBlank) >> 3) : (f[8] != ' ' ? 8 : f[9] != ' ' ? 9 : 10);
  if (i == kFieldWidth) {  // all blank
    *out = '0';
    return out + 1;
  }
  const std::size_t first = i + (f[i] == '-');
  if (first == kFieldWidth) return nullptr;
  if (f[first] == '0') {  // only a lone 0 (or -0) is written as it stands
    if (first != kFieldWidth - 1) return nullptr;
    *out = '0';
    return out + 1;
  }
  for (std::size_t k = first; k < kFieldWidth; ++k)
    if (f[k] < '0' || f[k] > '9') return nullptr;
  unsigned __int128 v = (static_cast<unsigned __int128>(tail) << 64) | head;
  v >>= 8 * i;
  std::memcpy(out, &v, 16);
  return out + (kFieldWidth - i);
}

// Any other field: a plain decimal, or the general rule. Kept out of line so that the
// common case above needs no registers saved.
[[gnu::noinline]] char* writeOtherNumber(char* out, std::string_view field) {
  if (char* end = writePlainDecimal(out, field.data(), field.size())) return end;
  double v = numericValue(field);
  if (std::isinf(v)) return nullptr;
  return writeCanonical(out, v);
}

// The numerified value of a field; nullptr when it does not fit a double.
[[gnu::always_inline]] inline char* writeNumerified(char* out, std::string_view field) {
  if (field.size() == kFieldWidth)
    if (char* end = writeRightAlignedInteger(out, field.data())) return end;
  return writeOtherNumber(out, field);
}

// Codes and values of a record whose positions are byte offsets, written through a
// pointer into room made beforehand: the common case, kept free of per-byte work.
bool appendFields(ByteBuffer& out, const RecordView& record, const RecordLayout& layout) {
  const std::string_view line = record.line();
  const std::size_t perField = layout.numerify ? kCanonicalMax + 1 : kFieldWidth + 1;  // >= 16 + 1
  char* p = out.room(layout.positions.size() * perField + 2);
  const char* base = line.data();
  if (line.size() >= layout.lastPosition) {  // a whole record: every field is there
    if (layout.numerify) {
      for (std::size_t offset : layout.offsets) {
        *p++ = ',';
        if (char* end = writeRightAlignedInteger(p, base + offset)) p = end;
        else if (!(p = writeOtherNumber(p, std::string_view(base + offset, kFieldWidth)))) return false;
      }
    } else {
      for (std::size_t offset : layout.offsets) {
        *p++ = ',';
        std::memcpy(p, base + offset, kFieldWidth);
        p += kFieldWidth;
      }
    }
  } else {
    for (std::size_t offset : layout.offsets) {
      *p++ = ',';
      std::string_view field;
      if (offset + kFieldWidth <= line.size()) field = std::string_view(base + offset, kFieldWidth);
      else if (offset < line.size()) field = line.substr(offset);
      if (!layout.numerify) {
        if (!field.empty()) std::memcpy(p, field.data(), field.size());  // a missing field has no pointer
        p += field.size();
      } else if (!(p = writeNumerified(p, field))) {
        return false;
      }
    }
  }
  *p++ = '\r';
  *p++ = '\n';
  out.commit(p);
  return true;
}

}  // namespace

bool appendNumerified(ByteBuffer& out, std::string_view field) {
  char buf[kCanonicalMax];
  char* end = writeNumerified(buf, field);
  if (!end) return false;
  out.append(buf, std::size_t(end - buf));
  return true;
}

RecordLayout makeLayout(std::vector<int> positions, bool numerify) {
  RecordLayout layout;
  layout.numerify = numerify;
  for (int p : positions) {
    layout.lastPosition = std::max(layout.lastPosition, fieldPosition(p) + kFieldWidth - 1);
    layout.offsets.push_back(fieldPosition(p) - 1);
  }
  layout.positions = std::move(positions);
  return layout;
}

namespace {

void appendCodes(ByteBuffer& out, const RecordView& record, bool key) {
  if (key) {
    appendQuoted(out, record.chars(kKeyPos, kKeyLen));
    out.push_back(',');
  }
  appendQuoted(out, record.chars(kPrefecturePos, kPrefectureLen));
  out.push_back(',');
  appendQuoted(out, record.chars(kMunicipalityPos, kMunicipalityLen));
  out.push_back(',');
  appendQuoted(out, record.chars(kAreaPos, kAreaLen));
}

bool appendValue(ByteBuffer& out, std::string_view field, bool numerify) {
  out.push_back(',');
  if (numerify) return appendNumerified(out, field);
  appendRawValue(out, field);
  return true;
}

}  // namespace

bool appendRecordLine(ByteBuffer& out, const RecordView& record, const RecordLayout& layout) {
  if (!layout.longLabels.empty()) {
    for (std::size_t i = 0; i < layout.positions.size(); ++i) {
      appendCodes(out, record, layout.key);
      out.append(layout.longLabels[i]);
      if (!appendValue(out, record.chars(fieldPosition(layout.positions[i]), kFieldWidth), layout.numerify)) return false;
      out.append("\r\n", 2);
    }
    return true;
  }
  appendCodes(out, record, layout.key);
  if (record.singleByte() && (layout.numerify || record.csvPlain())) return appendFields(out, record, layout);
  for (int p : layout.positions)
    if (!appendValue(out, record.chars(fieldPosition(p), kFieldWidth), layout.numerify)) return false;
  out.append("\r\n", 2);
  return true;
}

}  // namespace h7
