#include "extract/record.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "common/numeric.h"
#include "common/sjis.h"

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

void appendQuoted(std::string& out, std::string_view text) {
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

void appendRawValue(std::string& out, std::string_view field) {
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
char* writePlainDecimal(char* out, const char* f, std::size_t n) {
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

// The numerified value of a field; nullptr when it does not fit a double.
char* writeNumerified(char* out, std::string_view field) {
  if (char* end = writePlainDecimal(out, field.data(), field.size())) return end;
  double v = numericValue(field);
  if (std::isinf(v)) return nullptr;
  return writeCanonical(out, v);
}

// Codes and values of a record whose positions are byte offsets, written through a
// pointer into room made beforehand: the common case, kept free of per-byte work.
bool appendFields(std::string& out, const RecordView& record, const RecordLayout& layout) {
  const std::string_view line = record.line();
  const std::size_t perField = layout.numerify ? kCanonicalMax + 1 : kFieldWidth + 1;
  const std::size_t start = out.size();
  out.resize(start + layout.positions.size() * perField + 2);
  char* p = out.data() + start;
  for (std::size_t offset : layout.offsets) {
    *p++ = ',';
    std::string_view field;
    if (offset + kFieldWidth <= line.size()) field = std::string_view(line.data() + offset, kFieldWidth);
    else if (offset < line.size()) field = line.substr(offset);
    if (layout.numerify) {
      p = writeNumerified(p, field);
      if (!p) return false;
    } else if (field.size() == kFieldWidth) {
      std::memcpy(p, field.data(), kFieldWidth);
      p += kFieldWidth;
    } else {
      std::memcpy(p, field.data(), field.size());
      p += field.size();
    }
  }
  *p++ = '\r';
  *p++ = '\n';
  out.resize(std::size_t(p - out.data()));
  return true;
}

}  // namespace

bool appendNumerified(std::string& out, std::string_view field) {
  char buf[kCanonicalMax];
  char* end = writeNumerified(buf, field);
  if (!end) return false;
  out.append(buf, end);
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

bool appendRecordLine(std::string& out, const RecordView& record, const RecordLayout& layout) {
  appendQuoted(out, record.chars(kPrefecturePos, kPrefectureLen));
  out.push_back(',');
  appendQuoted(out, record.chars(kMunicipalityPos, kMunicipalityLen));
  out.push_back(',');
  appendQuoted(out, record.chars(kAreaPos, kAreaLen));
  if (record.singleByte() && (layout.numerify || record.csvPlain())) return appendFields(out, record, layout);
  for (int p : layout.positions) {
    out.push_back(',');
    std::string_view field = record.chars(fieldPosition(p), kFieldWidth);
    if (!layout.numerify) {
      appendRawValue(out, field);
    } else if (!appendNumerified(out, field)) {
      return false;
    }
  }
  out.append("\r\n", 2);
  return true;
}

}  // namespace h7
