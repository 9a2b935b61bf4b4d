// The kernels with 512-bit vectors: AVX-512 F and BW for the byte scans, VBMI and VBMI2
// for the field runs (built with those instruction sets; used where the processor has them).
#include <immintrin.h>

#include <cstdint>

#include "extract/kernels/field.h"
#include "extract/kernels/kernels.h"

namespace h7 {

namespace {

using kernels::kWidth;

const char* findLineEnd(const char* p, const char* end, char endByte, bool& high) {
  const __m512i e = _mm512_set1_epi8(endByte);
  __m512i seen = _mm512_setzero_si512();
  // Four blocks a turn while no line end is among them.
  for (; end - p >= 256; p += 256) {
    const __m512i a = _mm512_loadu_si512(p), b = _mm512_loadu_si512(p + 64), c = _mm512_loadu_si512(p + 128),
                  d = _mm512_loadu_si512(p + 192);
    if (_mm512_cmpeq_epi8_mask(a, e) | _mm512_cmpeq_epi8_mask(b, e) | _mm512_cmpeq_epi8_mask(c, e) |
        _mm512_cmpeq_epi8_mask(d, e))
      break;
    seen = _mm512_or_si512(_mm512_or_si512(seen, _mm512_or_si512(a, b)), _mm512_or_si512(c, d));
  }
  for (;; p += 64) {
    const std::size_t left = std::size_t(end - p);
    const __mmask64 valid = left >= 64 ? ~0ULL : left ? ~0ULL >> (64 - left) : 0;
    const __m512i v = _mm512_maskz_loadu_epi8(valid, p);
    const __mmask64 ends = _mm512_cmpeq_epi8_mask(v, e) & valid;
    if (ends || left <= 64) {
      const __mmask64 before = ends ? (ends & -ends) - 1 : valid;  // the bytes below the lowest end (x & -x)
      high |= (_mm512_movepi8_mask(seen) | (_mm512_movepi8_mask(v) & before)) != 0;
      return ends ? p + __builtin_ctzll(ends) : nullptr;
    }
    seen = _mm512_or_si512(seen, v);
  }
}

bool anyHighByte(const char* p, std::size_t n) {
  __m512i acc = _mm512_setzero_si512();
  std::size_t i = 0;
  for (; i + 64 <= n; i += 64) acc = _mm512_or_si512(acc, _mm512_loadu_si512(p + i));
  if (i < n) acc = _mm512_or_si512(acc, _mm512_maskz_loadu_epi8(~0ULL >> (64 - (n - i)), p + i));
  return _mm512_movepi8_mask(acc) != 0;
}

// Runs of fields five at a time: the 50 bytes of five fields spread into five slots of
// 11 bytes, a comma in front of each field.
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
inline __m512i fieldSlots(const char* in, std::size_t fields, __m512i& read) {
  read = _mm512_maskz_loadu_epi8(~0ULL >> (64 - 10 * fields), in);
  const __m512i spread = _mm512_maskz_permutexvar_epi8(~0ULL, _mm512_load_si512(kSpread.index), read);
  return _mm512_mask_blend_epi8(kCommaBits, spread, _mm512_set1_epi8(','));
}

// Five fields read from 14 bytes in front of them (a whole vector, no mask), spread into
// their slots.
struct SpreadFromFront {
  alignas(64) unsigned char index[64] = {};
  constexpr SpreadFromFront() {
    for (int t = 0; t < 55; ++t)
      if (t % 11) index[t] = static_cast<unsigned char>(14 + 10 * (t / 11) + t % 11 - 1);
  }
};
constexpr SpreadFromFront kSpreadFromFront;

char* rawFields(char* out, const char* line, const FieldRun* runs, std::size_t runCount) {
  const __m512i comma = _mm512_set1_epi8(','), spread = _mm512_load_si512(kSpreadFromFront.index),
                quoted = _mm512_load_si512(kernels::kQuotedByLowBits.entry);
  const auto needsQuotes = [&](__m512i v) { return _mm512_cmpeq_epi8_mask(_mm512_shuffle_epi8(quoted, v), v); };
  __mmask64 bad = 0;  // bytes that need quoting, gathered over all fields and looked at once
  for (const FieldRun* r = runs; r != runs + runCount; ++r) {
    const char* in = line + r->offset;
    std::size_t done = 0;
    for (; done + 5 <= r->count; done += 5, in += 5 * kWidth, out += 55) {
      const __m512i v = _mm512_loadu_si512(in - 14);
      bad |= needsQuotes(v) & ~0ULL << 14;
      _mm512_storeu_si512(out, _mm512_mask_blend_epi8(kCommaBits, _mm512_maskz_permutexvar_epi8(~0ULL, spread, v), comma));
    }
    if (const std::size_t n = r->count - done) {
      __m512i read;
      _mm512_storeu_si512(out, fieldSlots(in, n, read));
      bad |= needsQuotes(read) & ~0ULL >> (64 - 10 * n);
      out += 11 * n;
    }
  }
  return bad ? nullptr : out;
}

// Per slot, its leading blanks: the run of `blank` bits from the slot's first byte on. Its
// first bit added carries through the run and stops at the first other byte (the carry
// that turns off a run of ones, H. S. Warren, Hacker's Delight, 2-1); the bits the sum
// changed, where `blank` is set, are the run.
constexpr std::uint64_t leadingBlanks(std::uint64_t blank) { return ((blank + kFirstBits) ^ blank) & blank; }

// Slots that are all blank, or blanks and one last byte that is no digit (X, -), take
// a 0 as their last byte: they numerify to 0, as a lone 0 does.
inline __m512i zeroLoneBytes(__m512i x, std::uint64_t& blank, std::uint64_t& digit, std::uint64_t& zero) {
  const std::uint64_t leading = leadingBlanks(blank);
  const std::uint64_t lone = leading << 1 & kLastBits & ~digit;
  blank &= ~lone;
  digit |= lone;
  zero |= lone;
  return _mm512_mask_mov_epi8(x, lone, _mm512_set1_epi8('0'));
}

// Numerified values of `n` (1..5) fields: those that are right-aligned numbers already in
// canonical form ([-]digits[.digits] without leading or trailing zeros) with their leading
// blanks squeezed out, the others by the general rule. nullptr when a value overflows.
[[gnu::noinline]] char* numerifyGroup(char* out, const char* in, std::size_t n) {
  constexpr std::uint64_t kEndBits = kCommaBits << 11;  // just behind each slot
  const std::uint64_t active = (1ULL << (11 * n)) - 1;
  __m512i read;
  __m512i x = fieldSlots(in, n, read);
  std::uint64_t blank = _mm512_cmpeq_epi8_mask(x, _mm512_set1_epi8(' ')) & kFieldBits;
  std::uint64_t digit = _mm512_cmple_epu8_mask(_mm512_sub_epi8(x, _mm512_set1_epi8('0')), _mm512_set1_epi8(9));
  std::uint64_t zero = _mm512_cmpeq_epi8_mask(x, _mm512_set1_epi8('0'));
  x = zeroLoneBytes(x, blank, digit, zero);
  const std::uint64_t minus = _mm512_cmpeq_epi8_mask(x, _mm512_set1_epi8('-'));
  const std::uint64_t point = _mm512_cmpeq_epi8_mask(x, _mm512_set1_epi8('.'));
  // Per slot, by carries and borrows that stay inside it: its leading blanks, its first
  // kept byte, the lowest byte that is neither digit nor sign, the bytes from it on.
  const std::uint64_t leading = leadingBlanks(blank);
  const std::uint64_t kept = kFieldBits & active & ~leading;
  const std::uint64_t first = kept & ~(kept << 1);
  const std::uint64_t sign = first & minus;
  const std::uint64_t firstDigit = (first & ~minus) | (sign << 1);
  const std::uint64_t other = kept & ~digit & ~sign;
  const std::uint64_t withEnd = other | (kEndBits & active << 1);
  const std::uint64_t lowestOther = withEnd & ~(withEnd - kFirstBits) & kFieldBits;
  const std::uint64_t fromPoint = ((kEndBits & active << 1) - (other & point)) & kFieldBits;
  // Slots taken by the general rule: a second byte that is neither digit nor sign or one
  // that is no point, a sign alone, a point first or last, a leading zero, a trailing
  // zero behind a point, -0.
  const std::uint64_t general = ((other & ~lowestOther) | (other & ~point) | (sign & kLastBits) |
                                 (other & (firstDigit | kLastBits)) | (firstDigit & zero & ~kLastBits) |
                                 (fromPoint & zero & kLastBits) | (sign << 1 & zero)) &
                                kFieldBits & active;
  // The slots go out in order: runs of ready ones at once, the others one by one.
  const std::uint64_t ready = kept | (kCommaBits & active);
  std::uint64_t from = 0;  // the first bit not written yet
  for (std::uint64_t rest = general; rest != 0;) {
    const int slot = __builtin_ctzll(rest) / 11;
    const std::uint64_t end = 11 * std::uint64_t(slot);
    const std::uint64_t keep = ready & ((1ULL << end) - 1) & ~((1ULL << from) - 1);
    _mm512_storeu_si512(out, _mm512_maskz_compress_epi8(keep, x));
    out += __builtin_popcountll(keep);
    *out++ = ',';
    if (!(out = kernels::writeWholeField(out, in + kWidth * std::size_t(slot)))) return nullptr;
    from = end + 11;
    rest &= ~0ULL << from;
  }
  const std::uint64_t keep = ready & ~((1ULL << from) - 1);
  _mm512_storeu_si512(out, _mm512_maskz_compress_epi8(keep, x));
  return out + __builtin_popcountll(keep);
}

// Numerified values of a run of fields, five at a time. The common group, five whole
// numbers, blank fields or lone X or -, is told apart with few instructions; any other
// goes through numerifyGroup.
char* numerifiedFields(char* out, const char* line, const FieldRun* runs, std::size_t runCount) {
  for (const FieldRun* r = runs; r != runs + runCount; ++r) {
    const char* in = line + r->offset;
    const std::size_t count = r->count;
    std::size_t done = 0;
    for (; done + 5 <= count; done += 5) {
      __m512i read;
      __m512i x = fieldSlots(in + kWidth * done, 5, read);
      std::uint64_t blank = _mm512_cmpeq_epi8_mask(x, _mm512_set1_epi8(' ')) & kFieldBits;
      std::uint64_t digit = _mm512_cmple_epu8_mask(_mm512_sub_epi8(x, _mm512_set1_epi8('0')), _mm512_set1_epi8(9));
      std::uint64_t zero = _mm512_cmpeq_epi8_mask(x, _mm512_set1_epi8('0'));
      x = zeroLoneBytes(x, blank, digit, zero);
      const std::uint64_t leading = leadingBlanks(blank);
      const std::uint64_t kept = kFieldBits & ~leading;
      const std::uint64_t first = kept & ~(kept << 1);
      if ((kept & ~digit) | (first & zero & ~kLastBits)) {
        if (!(out = numerifyGroup(out, in + kWidth * done, 5))) return nullptr;
        continue;
      }
      const std::uint64_t keep = kept | kCommaBits;
      _mm512_storeu_si512(out, _mm512_maskz_compress_epi8(keep, x));
      out += __builtin_popcountll(keep);
    }
    if (done < count && !(out = numerifyGroup(out, in + kWidth * done, count - done))) return nullptr;
  }
  return out;
}

}  // namespace

extern const Kernels kAvx512Kernels;
const Kernels kAvx512Kernels{KernelId::Avx512, findLineEnd, anyHighByte, rawFields, numerifiedFields};

}  // namespace h7
