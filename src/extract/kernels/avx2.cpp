// The kernels with 256-bit vectors (AVX2, and BMI for the bit counts; built with those
// instruction sets, used where the processor has them).
#include <immintrin.h>

#include <cstdint>

#include "extract/kernels/field.h"
#include "extract/kernels/kernels.h"

namespace h7 {

namespace {

using kernels::kWidth;

inline __m256i load32(const char* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
inline __m128i load16(const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline unsigned mask32(__m256i v) { return unsigned(_mm256_movemask_epi8(v)); }

const char* findLineEnd(const char* from, const char* end, char endByte, bool& high) {
  const __m256i e = _mm256_set1_epi8(endByte);
  __m256i seen = _mm256_setzero_si256();
  const char* p = from;
  // Four blocks a turn while no line end is among them.
  for (; end - p >= 128; p += 128) {
    const __m256i a = load32(p), b = load32(p + 32), c = load32(p + 64), d = load32(p + 96);
    const __m256i hit = _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(a, e), _mm256_cmpeq_epi8(b, e)),
                                        _mm256_or_si256(_mm256_cmpeq_epi8(c, e), _mm256_cmpeq_epi8(d, e)));
    if (!_mm256_testz_si256(hit, hit)) break;
    seen = _mm256_or_si256(_mm256_or_si256(seen, _mm256_or_si256(a, b)), _mm256_or_si256(c, d));
  }
  for (;;) {
    unsigned valid = ~0u;
    __m256i v;
    if (end - p >= 32) {
      v = load32(p);
    } else if (end - from >= 32) {  // the last bytes, at the end of 32 that were partly looked at
      const unsigned fresh = unsigned(end - p);
      if (fresh == 0) break;
      p = end - 32;
      v = load32(p);
      valid = ~0u << (32 - fresh);
    } else {  // fewer than 32 bytes in all
      unsigned h = 0;
      for (; p < end; ++p) {
        if (*p == endByte) {
          high |= (mask32(seen) | h) != 0;
          return p;
        }
        h |= static_cast<unsigned char>(*p) & 0x80;
      }
      high |= (mask32(seen) | h) != 0;
      return nullptr;
    }
    const unsigned ends = mask32(_mm256_cmpeq_epi8(v, e)) & valid;
    if (ends) {
      const unsigned before = (ends & -ends) - 1;
      high |= (mask32(seen) | (mask32(v) & before & valid)) != 0;
      return p + __builtin_ctz(ends);
    }
    high |= (mask32(v) & valid) != 0;
    if (valid != ~0u) break;
    p += 32;
  }
  high |= mask32(seen) != 0;
  return nullptr;
}

bool anyHighByte(const char* p, std::size_t n) {
  if (n < 32) {
    unsigned char acc = 0;
    for (std::size_t i = 0; i < n; ++i) acc |= static_cast<unsigned char>(p[i]);
    return acc & 0x80;
  }
  __m256i acc = load32(p + n - 32);
  for (std::size_t i = 0; i + 32 <= n; i += 32) acc = _mm256_or_si256(acc, load32(p + i));
  return mask32(acc) != 0;
}

// Three fields (30 bytes) read from two bytes in front of them, spread into three slots of
// 11 bytes, a comma in front of each: bytes 0-31 of the 33; byte 32 is the last field byte.
// (Tables as plain bytes: nothing runs at load time, where the processor may lack AVX2.)
alignas(32) constexpr signed char kSpread3[32] = {-1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, -1, 12, 13, 14, 15,
                                                  0,  1, 2, 3, 4, 5, -1, 6, 7, 8, 9, 10, 11, 12, 13, 14};
alignas(32) constexpr char kCommas3[32] = {',', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, ',', 0, 0, 0, 0,
                                           0,   0, 0, 0, 0, 0, ',', 0, 0, 0, 0, 0, 0, 0, 0, 0};
// One field read from six bytes in front of it, behind its comma.
alignas(16) constexpr signed char kSpread1[16] = {-1, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, -1, -1, -1, -1, -1};
alignas(16) constexpr char kComma1[16] = {','};

inline __m256i table32(const void* p) { return _mm256_load_si256(static_cast<const __m256i*>(p)); }
inline __m128i table16(const void* p) { return _mm_load_si128(static_cast<const __m128i*>(p)); }

// The bytes that need quoting (comma, quotation mark, LF, CR), by a table look-up.
inline __m256i needsQuotes(__m256i v, __m256i quoted) { return _mm256_cmpeq_epi8(_mm256_shuffle_epi8(quoted, v), v); }

char* rawFields(char* out, const char* line, const FieldRun* runs, std::size_t runCount) {
  __m256i bad3 = _mm256_setzero_si256(), bad1 = _mm256_setzero_si256();
  const __m256i spread3 = table32(kSpread3), commas3 = table32(kCommas3);
  const __m128i spread1 = table16(kSpread1), comma1 = table16(kComma1);
  const __m256i quoted = table32(kernels::kQuotedByLowBits.entry);
  for (const FieldRun* r = runs; r != runs + runCount; ++r) {
    const char* in = line + r->offset;
    std::size_t k = 0;
    for (; k + 3 <= r->count; k += 3, in += 3 * kWidth, out += 33) {
      const __m256i v = load32(in - 2);
      bad3 = _mm256_or_si256(bad3, needsQuotes(v, quoted));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_or_si256(_mm256_shuffle_epi8(v, spread3), commas3));
      out[32] = in[29];
    }
    for (; k < r->count; ++k, in += kWidth, out += kWidth + 1) {
      const __m128i v = load16(in - 6);
      bad1 = _mm256_or_si256(bad1, needsQuotes(_mm256_zextsi128_si256(v), quoted));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_or_si128(_mm_shuffle_epi8(v, spread1), comma1));
    }
  }
  // Bytes in front of the fields were read too: not counted.
  return (mask32(bad3) & ~3u) | (mask32(bad1) & 0xFFC0u) ? nullptr : out;
}

// The leading blanks of a numerified field squeezed out: row i (0-9) takes bytes i-9 of a
// field read from six bytes in front of it, behind the comma; row 10 writes 0 (a field
// of blanks, or of blanks and one byte that is no digit: X, -).
struct SqueezeTable {
  alignas(16) signed char row[11][16] = {};
  alignas(16) char fill[11][16] = {};  // or-ed in: the comma, and the 0 of row 10
  unsigned char length[11] = {};
  constexpr SqueezeTable() {
    for (int i = 0; i <= 10; ++i) {
      for (int t = 0; t < 16; ++t) row[i][t] = i < 10 && t >= 1 && t <= 10 - i ? static_cast<signed char>(6 + i + t - 1) : -1;
      fill[i][0] = ',';
      if (i == 10) fill[i][1] = '0';
      length[i] = static_cast<unsigned char>(i < 10 ? 11 - i : 2);
    }
  }
};
constexpr SqueezeTable kSqueeze;

// Per byte read (bit k: byte k), what it is.
struct ByteKinds {
  unsigned nonBlank, digit, minus, point, zero;
};

inline ByteKinds classify(__m256i v) {
  const __m256i t = _mm256_sub_epi8(v, _mm256_set1_epi8('0'));
  return {~mask32(_mm256_cmpeq_epi8(v, _mm256_set1_epi8(' '))),
          mask32(_mm256_cmpeq_epi8(_mm256_min_epu8(t, _mm256_set1_epi8(9)), t)),
          mask32(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('-'))), mask32(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('.'))),
          mask32(_mm256_cmpeq_epi8(t, _mm256_setzero_si256()))};
}

// Whether a field (bits 0-9) that is neither a plain whole number nor blanks with one
// byte at most is a number in canonical form all the same: -digits, or [-]digits.digits
// without leading or trailing zeros, right-aligned.
inline bool canonicalOther(unsigned nonBlank, unsigned digit, unsigned minus, unsigned point, unsigned zero) {
  const unsigned first = nonBlank & -nonBlank;
  const unsigned kept = 0x3FF & ~(first - 1);
  const unsigned sign = first & minus;
  const unsigned body = kept & ~sign;
  const unsigned other = body & ~digit;  // must be one point, not first or last
  const unsigned firstBody = body & -body;
  const bool decimal = other && !(other & (other - 1)) && !(other & ~point) && !(other & (firstBody | 0x200)) &&
                       !(zero & 0x200);
  return (decimal || (!other && sign)) && body && !(firstBody & zero);
}

// One field at `in` (its kinds in bits `s` to `s` + 9 of `k`), its comma first. Plain
// whole numbers and other numbers already in canonical form are copied without their
// leading blanks, blank fields and a lone X or - are 0; the others go by the general rule.
inline char* numerifyOne(char* out, const char* in, const ByteKinds& k, int s) {
  const unsigned nonBlank = k.nonBlank >> s & 0x3FF, digit = k.digit >> s & 0x3FF;
  const unsigned first = nonBlank & -nonBlank;
  // Blanks, then digits, the first no 0 unless alone; or blanks and at most one byte
  // that is no digit (row 10). Told apart without a branch: real data mixes them.
  const unsigned integer = (digit == nonBlank) & (nonBlank + first == 0x400) & !(k.zero >> s & first & 0x1FF);
  unsigned fast = integer | !(nonBlank & 0x1FF);
  asm("" : "+r"(fast));  // one branch on both: kept from being split into two
  unsigned row = unsigned(__builtin_ctz(nonBlank | 0x400)) + ((nonBlank & ~digit) == 0x200);
  if (fast) [[likely]] {
  } else if (canonicalOther(nonBlank, digit, k.minus >> s & 0x3FF, k.point >> s & 0x3FF, k.zero >> s & 0x3FF)) {
    row = unsigned(__builtin_ctz(nonBlank));
  } else {
    out[0] = ',';
    return kernels::writeWholeField(out + 1, in);
  }
  const __m128i squeezed = _mm_shuffle_epi8(load16(in - 6), table16(kSqueeze.row[row]));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_or_si128(squeezed, table16(kSqueeze.fill[row])));
  return out + kSqueeze.length[row];
}

char* numerifiedFields(char* out, const char* line, const FieldRun* runs, std::size_t runCount) {
  for (const FieldRun* r = runs; r != runs + runCount; ++r) {
    const char* in = line + r->offset;
    std::size_t k = 0;
    for (; k + 3 <= r->count; k += 3, in += 3 * kWidth) {  // three fields read at once, from two bytes in front
      const ByteKinds kinds = classify(load32(in - 2));
      // The common group: each field blanks then digits (the first no 0 unless alone), or
      // blanks and at most one last byte. Bits 2-31 hold the fields; kFirst and kLast
      // their first and last bytes.
      constexpr unsigned kFields = ~3u, kFirst = 1u << 2 | 1u << 12 | 1u << 22, kLast = 1u << 11 | 1u << 21 | 1u << 31;
      const unsigned nonBlank = kinds.nonBlank & kFields, notDigit = nonBlank & ~kinds.digit;
      const unsigned blankAfter = nonBlank << 1 & ~nonBlank & kFields & ~kFirst;
      const unsigned firstKept = nonBlank & ~(nonBlank << 1 & ~kFirst);
      const unsigned loneLast = ~nonBlank << 1 & kLast;  // the last byte of a field that holds no other
      if (!((notDigit & ~loneLast) | blankAfter | (firstKept & kinds.zero & ~kLast))) [[likely]] {
        for (int s = 2; s < 32; s += 10) {
          const unsigned row = unsigned(__builtin_ctz(nonBlank >> s | 0x400)) + ((notDigit >> s & 0x3FF) == 0x200);
          const __m128i squeezed = _mm_shuffle_epi8(load16(in + s - 8), table16(kSqueeze.row[row]));
          _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_or_si128(squeezed, table16(kSqueeze.fill[row])));
          out += kSqueeze.length[row];
        }
        continue;
      }
      if (!(out = numerifyOne(out, in, kinds, 2))) return nullptr;
      if (!(out = numerifyOne(out, in + kWidth, kinds, 12))) return nullptr;
      if (!(out = numerifyOne(out, in + 2 * kWidth, kinds, 22))) return nullptr;
    }
    for (; k < r->count; ++k, in += kWidth)  // one, from six bytes in front
      if (!(out = numerifyOne(out, in, classify(_mm256_zextsi128_si256(load16(in - 6))), 6))) return nullptr;
  }
  return out;
}

}  // namespace

extern const Kernels kAvx2Kernels;
const Kernels kAvx2Kernels{KernelId::Avx2, findLineEnd, anyHighByte, rawFields, numerifiedFields};

}  // namespace h7
