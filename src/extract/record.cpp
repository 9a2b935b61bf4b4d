#include "extract/record.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cmath>
#include <cstring>

#include "core/numeric.h"
#include "core/sjis.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace h7 {

namespace {

// Byte scans over whole lines, 64 bytes at a time; the AVX-512 or AVX2 build is picked
// at load time where the processor has it.
typedef unsigned char Bytes64 __attribute__((vector_size(64)));

[[gnu::always_inline]] inline void load64(Bytes64& v, const char* p) { std::memcpy(&v, p, sizeof v); }

[[gnu::always_inline]] inline bool anyNonZero(const Bytes64& v) {
  std::uint64_t w[8];
  std::memcpy(w, &v, sizeof w);
  return (w[0] | w[1] | w[2] | w[3] | w[4] | w[5] | w[6] | w[7]) != 0;
}

// Any byte of 0x80 or above.
[[gnu::target_clones("arch=x86-64-v4", "avx2", "default")]] bool anyHighByte(const char* p, std::size_t n) {
  Bytes64 acc{};
  std::size_t i = 0;
  for (Bytes64 v; i + 64 <= n; i += 64) {
    load64(v, p + i);
    acc |= v;
  }
  unsigned char rest = 0;
  for (; i < n; ++i) rest |= static_cast<unsigned char>(p[i]);
  acc &= 0x80;
  return anyNonZero(acc) || (rest & 0x80);
}

// Written fields that need no quoting: exactly `commas` commas (the separators), no
// quotation mark and no line feed.
[[gnu::target_clones("arch=x86-64-v4", "avx2", "default")]] bool plainCsv(const char* p, std::size_t n, std::size_t commas) {
  Bytes64 bad{};
  std::size_t found = 0, i = 0;
  while (i + 64 <= n) {
    Bytes64 count{};  // per lane, up to 255 blocks
    for (std::size_t blocks = 0; blocks < 255 && i + 64 <= n; ++blocks, i += 64) {
      Bytes64 v;
      load64(v, p + i);
      count -= (Bytes64)(v == ',');
      bad |= (Bytes64)(v == '"') | (Bytes64)(v == '\n');
    }
    for (int k = 0; k < 64; ++k) found += count[k];
  }
  for (; i < n; ++i) {
    found += p[i] == ',';
    if (p[i] == '"' || p[i] == '\n') return false;
  }
  return found == commas && !anyNonZero(bad);
}

}  // namespace

void RecordView::reset(std::string_view line, std::size_t lastPosition, bool mayHoldHighBytes) {
  line_ = line;
  shift_ = plainChars_ = 0;
  if (!mayHoldHighBytes || !anyHighByte(line.data(), std::min(line.size(), lastPosition))) return;
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
// 0; not -0). The field is taken as one 128-bit value: blanks counted and digits checked without
// a loop, the digits moved at once into the room behind `out` (space for a whole field).
[[gnu::always_inline]] inline char* writeRightAlignedInteger(char* out, const char* f) {
  using U = unsigned __int128;  // the ten bytes of the field, first byte lowest
  constexpr auto each = [](std::uint64_t byte) { return U(byte * 0x0101010101010101ULL) | U(byte * 0x0101) << 64; };
  std::uint64_t head;
  std::uint16_t tail;
  std::memcpy(&head, f, 8);
  std::memcpy(&tail, f + 8, 2);
  const U v = U(tail) << 64 | head;
  const U notBlank = v ^ each(' ');
  if (notBlank == 0) {  // all blank
    *out = '0';
    return out + 1;
  }
  // Leading blanks, without a branch: countr_zero of 0 is 64.
  const std::uint64_t low = std::uint64_t(notBlank), high = std::uint64_t(notBlank >> 64);
  const int blankBits = std::countr_zero(low) + (std::countr_zero(high) & -int(low == 0));
  const std::size_t i = std::size_t(blankBits) >> 3;
  const bool negative = f[i] == '-';
  const std::size_t first = i + negative;
  // Bytes from `first` on that are not digits: above '9', below '0', or 0x80 and above.
  const U notDigit = ((v + each(0x46)) | ~((v | each(0x80)) - each(0x30)) | v) & each(0x80) & (~U(0) << (8 * first));
  // Taken elsewhere: a sign without digits, leading zeros, -0.
  const bool zero = f[first < kFieldWidth ? first : 0] == '0';
  if ((notDigit != 0) | (first == kFieldWidth) | (zero & ((first != kFieldWidth - 1) | negative))) return nullptr;
  const U digits = v >> (8 * i);
  std::memcpy(out, &digits, 16);
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

enum class FieldsWritten { Yes, Overflow, NeedQuoting };

// Runs of fields five at a time: the 50 bytes of five fields spread into five slots of
// 11 bytes, a comma in front of each field (AVX-512 VBMI, VBMI2, BW).
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define H7_WIDE_FIELDS 1
#define H7_WIDE [[gnu::target("avx512f,avx512bw,avx512vbmi,avx512vbmi2")]]

constexpr std::uint64_t eachSlot(std::uint64_t bits) {
  std::uint64_t m = 0;
  for (int j = 0; j < 5; ++j) m |= bits << (11 * j);
  return m;
}
constexpr std::uint64_t kCommaBits = eachSlot(1), kFieldBits = eachSlot(0x7FE), kFirstBits = eachSlot(2),
                        kLastBits = eachSlot(0x400);

// Byte t of the slots takes byte 10j + (t - 11j - 1) of the five fields (slot j = t / 11).
struct SpreadIndex {
  alignas(64) unsigned char index[64] = {};
  constexpr SpreadIndex() {
    for (int t = 0; t < 55; ++t)
      if (t % 11) index[t] = static_cast<unsigned char>(10 * (t / 11) + t % 11 - 1);
  }
};
constexpr SpreadIndex kSpread;

// `fields` (1..5) fields from `in` in their slots, commas in front; the bytes read, through `read`.
H7_WIDE __m512i fieldSlots(const char* in, std::size_t fields, __m512i& read) {
  read = _mm512_maskz_loadu_epi8(~0ULL >> (64 - 10 * fields), in);
  const __m512i spread = _mm512_maskz_permutexvar_epi8(~0ULL, _mm512_load_si512(kSpread.index), read);
  return _mm512_mask_blend_epi8(kCommaBits, spread, _mm512_set1_epi8(','));
}

// Raw values as they stand; false when one holds a comma, a quotation mark or a line feed.
H7_WIDE bool copyRunWide(char*& out, const char* in, std::size_t count) {
  for (std::size_t done = 0; done < count; done += 5) {
    const std::size_t n = std::min<std::size_t>(5, count - done);
    __m512i read;
    const __m512i x = fieldSlots(in + 10 * done, n, read);
    if (_mm512_cmpeq_epi8_mask(read, _mm512_set1_epi8(',')) | _mm512_cmpeq_epi8_mask(read, _mm512_set1_epi8('"')) |
        _mm512_cmpeq_epi8_mask(read, _mm512_set1_epi8('\n')))
      return false;
    _mm512_storeu_si512(out, x);
    out += 11 * n;
  }
  return true;
}

char* writeNumerifiedField(char* out, const char* field);

// Numerified values of `n` (1..5) fields: those that are right-aligned numbers already in
// canonical form ([-]digits[.digits] without leading or trailing zeros) with their leading
// blanks squeezed out, the others by the general rule. nullptr when a value overflows.
H7_WIDE [[gnu::noinline]] char* numerifyGroup(char* out, const char* in, std::size_t n) {
  constexpr std::uint64_t kEndBits = kCommaBits << 11;  // just behind each slot
  {
    const std::uint64_t active = (1ULL << (11 * n)) - 1;
    __m512i read;
    const __m512i x = fieldSlots(in, n, read);
    const std::uint64_t blank = _mm512_cmpeq_epi8_mask(x, _mm512_set1_epi8(' ')) & kFieldBits;
    const std::uint64_t digit = _mm512_cmple_epu8_mask(_mm512_sub_epi8(x, _mm512_set1_epi8('0')), _mm512_set1_epi8(9));
    const std::uint64_t minus = _mm512_cmpeq_epi8_mask(x, _mm512_set1_epi8('-'));
    const std::uint64_t zero = _mm512_cmpeq_epi8_mask(x, _mm512_set1_epi8('0'));
    const std::uint64_t point = _mm512_cmpeq_epi8_mask(x, _mm512_set1_epi8('.'));
    // Per slot, by carries and borrows that stay inside it: its leading blanks, its first
    // kept byte, the lowest byte that is neither digit nor sign, the bytes from it on.
    const std::uint64_t leading = ((blank + kFirstBits) ^ blank) & blank;
    const std::uint64_t kept = kFieldBits & active & ~leading;
    const std::uint64_t first = kept & ~(kept << 1);
    const std::uint64_t sign = first & minus;
    const std::uint64_t firstDigit = (first & ~minus) | (sign << 1);
    const std::uint64_t other = kept & ~digit & ~sign;
    const std::uint64_t withEnd = other | (kEndBits & active << 1);
    const std::uint64_t lowestOther = withEnd & ~(withEnd - kFirstBits) & kFieldBits;
    const std::uint64_t fromPoint = ((kEndBits & active << 1) - (other & point)) & kFieldBits;
    // Slots taken by the general rule: all blank, a second byte that is neither digit nor
    // sign or one that is no point, a sign alone, a point first or last, a leading zero, a
    // trailing zero behind a point, -0.
    const std::uint64_t general = ((leading & kLastBits) | (other & ~lowestOther) | (other & ~point) |
                                   (sign & kLastBits) | (other & (firstDigit | kLastBits)) |
                                   (firstDigit & zero & ~kLastBits) | (fromPoint & zero & kLastBits) | (sign << 1 & zero)) &
                                  kFieldBits & active;
    // The slots go out in order: runs of ready ones at once, the others one by one.
    const std::uint64_t ready = kept | (kCommaBits & active);
    std::uint64_t from = 0;  // the first bit not written yet
    for (std::uint64_t rest = general; rest != 0;) {
      const int slot = std::countr_zero(rest) / 11;
      const std::uint64_t end = 11 * std::uint64_t(slot);
      const std::uint64_t keep = ready & ((1ULL << end) - 1) & ~((1ULL << from) - 1);
      _mm512_storeu_si512(out, _mm512_maskz_compress_epi8(keep, x));
      out += std::popcount(keep);
      *out++ = ',';
      if (!(out = writeNumerifiedField(out, in + 10 * std::size_t(slot)))) return nullptr;
      from = end + 11;
      rest &= ~0ULL << from;
    }
    const std::uint64_t keep = ready & ~((1ULL << from) - 1);
    _mm512_storeu_si512(out, _mm512_maskz_compress_epi8(keep, x));
    out += std::popcount(keep);
  }
  return out;
}

// Numerified values of a run of fields, five at a time. The common group, five whole
// numbers, is told apart with few instructions; any other goes through numerifyGroup.
H7_WIDE char* numerifyRunWide(char* out, const char* in, std::size_t count) {
  std::size_t done = 0;
  for (; done + 5 <= count; done += 5) {
    __m512i read;
    const __m512i x = fieldSlots(in + 10 * done, 5, read);
    const std::uint64_t blank = _mm512_cmpeq_epi8_mask(x, _mm512_set1_epi8(' ')) & kFieldBits;
    const std::uint64_t notDigit = _mm512_cmpgt_epu8_mask(_mm512_sub_epi8(x, _mm512_set1_epi8('0')), _mm512_set1_epi8(9));
    const std::uint64_t zero = _mm512_cmpeq_epi8_mask(x, _mm512_set1_epi8('0'));
    const std::uint64_t leading = ((blank + kFirstBits) ^ blank) & blank;
    const std::uint64_t kept = kFieldBits & ~leading;
    const std::uint64_t first = kept & ~(kept << 1);
    if ((kept & notDigit) | (leading & kLastBits) | (first & zero & ~kLastBits)) {
      if (!(out = numerifyGroup(out, in + 10 * done, 5))) return nullptr;
      continue;
    }
    const std::uint64_t keep = kept | kCommaBits;
    _mm512_storeu_si512(out, _mm512_maskz_compress_epi8(keep, x));
    out += std::popcount(keep);
  }
  return done < count ? numerifyGroup(out, in + 10 * done, count - done) : out;
}

const bool kWideFieldsAvailable = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                                  __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2");
#else
const bool kWideFieldsAvailable = false;
#endif
bool wideFields = kWideFieldsAvailable;

// A whole field numerified; nullptr when it does not fit a double.
char* writeNumerifiedField(char* out, const char* field) {
  if (char* end = writeRightAlignedInteger(out, field)) return end;
  return writeOtherNumber(out, std::string_view(field, kFieldWidth));
}

// Values of a record whose fields lie where positions are byte offsets, written through a pointer into
// room made beforehand: the common case, kept free of per-byte work. Raw values are
// checked afterwards, all at once; when one needs quoting nothing is kept.
FieldsWritten appendFields(ByteBuffer& out, const RecordView& record, const RecordLayout& layout) {
  const std::string_view line = record.plainPart();
  const std::size_t perField = layout.numerify ? kCanonicalMax + 1 : kFieldWidth + 1;  // >= 16 + 1
  char* const start = out.room(layout.positions.size() * perField + 64);  // a 64-byte store may reach past the last
  char* p = start;
  const char* base = line.data();
  bool checked = true;  // raw values were checked for characters that need quoting
  if (line.size() >= layout.lastPosition) {  // a whole record: every field is there
    for (const FieldRun& run : layout.runs) {
      const char* in = base + run.offset;
#ifdef H7_WIDE_FIELDS
      if (wideFields && run.count >= 5) {
        if (layout.numerify) {
          if (!(p = numerifyRunWide(p, in, run.count))) return FieldsWritten::Overflow;
        } else if (!copyRunWide(p, in, run.count)) {
          return FieldsWritten::NeedQuoting;
        }
        continue;
      }
#endif
      if (layout.numerify) {
        for (std::size_t k = 0; k < run.count; ++k, in += kFieldWidth) {
          *p++ = ',';
          if (!(p = writeNumerifiedField(p, in))) return FieldsWritten::Overflow;
        }
      } else {
        for (const char* end = in + kFieldWidth * run.count; in < end; in += kFieldWidth, p += kFieldWidth + 1) {
          p[0] = ',';
          std::memcpy(p + 1, in, kFieldWidth);
        }
        checked = false;
      }
    }
  } else {
    checked = false;
    for (std::size_t offset : layout.offsets) {
      *p++ = ',';
      std::string_view field;
      if (offset + kFieldWidth <= line.size()) field = std::string_view(base + offset, kFieldWidth);
      else if (offset < line.size()) field = line.substr(offset);
      if (!layout.numerify) {
        if (!field.empty()) std::memcpy(p, field.data(), field.size());  // a missing field has no pointer
        p += field.size();
      } else if (!(p = writeNumerified(p, field))) {
        return FieldsWritten::Overflow;
      }
    }
  }
  if (!layout.numerify && !checked && !plainCsv(start, std::size_t(p - start), layout.offsets.size()))
    return FieldsWritten::NeedQuoting;
  *p++ = '\r';
  *p++ = '\n';
  out.commit(p);
  return FieldsWritten::Yes;
}

}  // namespace

bool wideFieldsAvailable() { return kWideFieldsAvailable; }
void useWideFields(bool on) { wideFields = on && kWideFieldsAvailable; }

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
  layout.firstPosition = positions.empty() ? 0 : fieldPosition(*std::min_element(positions.begin(), positions.end()));
  for (int p : positions) {
    layout.lastPosition = std::max(layout.lastPosition, fieldPosition(p) + kFieldWidth - 1);
    const std::size_t offset = fieldPosition(p) - 1;
    layout.offsets.push_back(offset);
    if (!layout.runs.empty() && layout.runs.back().offset + kFieldWidth * layout.runs.back().count == offset)
      ++layout.runs.back().count;
    else
      layout.runs.push_back({offset, 1});
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

bool appendLongLine(ByteBuffer& out, const RecordView& record, const RecordLayout& layout, std::size_t item) {
  const int position = layout.positions[item];
  appendCodes(out, record, layout.key);
  out.append(layout.longLabels[std::size_t(position)]);
  if (!appendValue(out, record.chars(fieldPosition(position), kFieldWidth), layout.numerify)) return false;
  out.append("\r\n", 2);
  return true;
}

bool appendRecordLine(ByteBuffer& out, const RecordView& record, const RecordLayout& layout) {
  if (!layout.longLabels.empty()) {
    for (std::size_t i = 0; i < layout.positions.size(); ++i)
      if (!appendLongLine(out, record, layout, i)) return false;
    return true;
  }
  appendCodes(out, record, layout.key);
  if (record.plainFrom() <= layout.firstPosition) {
    const FieldsWritten written = appendFields(out, record, layout);
    if (written != FieldsWritten::NeedQuoting) return written == FieldsWritten::Yes;
  }
  for (int p : layout.positions)
    if (!appendValue(out, record.chars(fieldPosition(p), kFieldWidth), layout.numerify)) return false;
  out.append("\r\n", 2);
  return true;
}

}  // namespace h7
