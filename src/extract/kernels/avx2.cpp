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

inline __m256i csvSpecial(__m256i v) {
  return _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(v, _mm256_set1_epi8(',')), _mm256_cmpeq_epi8(v, _mm256_set1_epi8('"'))),
                         _mm256_cmpeq_epi8(v, _mm256_set1_epi8('\n')));
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

char* rawFields(char* out, const char* line, const FieldRun* runs, std::size_t runCount) {
  __m256i bad3 = _mm256_setzero_si256(), bad1 = _mm256_setzero_si256();
  const __m256i spread3 = table32(kSpread3), commas3 = table32(kCommas3);
  const __m128i spread1 = table16(kSpread1), comma1 = table16(kComma1);
  for (const FieldRun* r = runs; r != runs + runCount; ++r) {
    const char* in = line + r->offset;
    std::size_t k = 0;
    for (; k + 3 <= r->count; k += 3, in += 3 * kWidth, out += 33) {
      const __m256i v = load32(in - 2);
      bad3 = _mm256_or_si256(bad3, csvSpecial(v));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_or_si256(_mm256_shuffle_epi8(v, spread3), commas3));
      out[32] = in[29];
    }
    for (; k < r->count; ++k, in += kWidth, out += kWidth + 1) {
      const __m128i v = load16(in - 6);
      bad1 = _mm256_or_si256(bad1, csvSpecial(_mm256_zextsi128_si256(v)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_or_si128(_mm_shuffle_epi8(v, spread1), comma1));
    }
  }
  // Bytes in front of the fields were read too: not counted.
  return (mask32(bad3) & ~3u) | (mask32(bad1) & 0xFFC0u) ? nullptr : out;
}

// Per byte of a field (bit k: byte k), what it is.
struct FieldBits {
  unsigned blank, digit, minus, point, zero;
};

// The leading blanks of a numerified field squeezed out: table row i takes bytes i-9 of a
// field read from six bytes in front of it, behind the comma.
struct SqueezeTable {
  alignas(16) signed char row[10][16] = {};
  constexpr SqueezeTable() {
    for (int i = 0; i < 10; ++i)
      for (int t = 0; t < 16; ++t) row[i][t] = t >= 1 && t <= 10 - i ? static_cast<signed char>(6 + i + t - 1) : -1;
  }
};
constexpr SqueezeTable kSqueeze;

// One field at `in`, its comma first. Right-aligned numbers already in canonical form
// ([-]digits[.digits] without leading or trailing zeros) are copied without their leading
// blanks; blank fields and a lone X or - are 0; the others go by the general rule.
inline char* numerifyOne(char* out, const char* in, const FieldBits& b) {
  const unsigned kept0 = ~b.blank & 0x3FF;
  if (kept0 <= 0x200 && !(b.digit & kept0)) {  // all blank, or blanks and one byte that is no digit
    out[0] = ',';
    out[1] = '0';
    return out + 2;
  }
  const int i = __builtin_ctz(kept0);
  const unsigned kept = 0x3FF & (~0u << i);
  const unsigned sign = (1u << i) & b.minus;
  const unsigned body = kept & ~sign;
  const unsigned other = body & ~b.digit;  // a point, a blank or anything else
  const unsigned firstBody = body & -body;
  const bool general = (other & (other - 1)) | (other & ~b.point) | (other & (firstBody | 0x200)) | (body == 0) |
                       ((firstBody & b.zero) && (body != firstBody || sign)) | (other && (b.zero & 0x200));
  if (general) [[unlikely]] {
    out[0] = ',';
    return kernels::writeWholeField(out + 1, in);
  }
  const __m128i v = load16(in - 6);
  const __m128i squeezed = _mm_shuffle_epi8(v, table16(kSqueeze.row[i]));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_or_si128(squeezed, table16(kComma1)));
  return out + 11 - i;
}

// Per byte of the 32 read: blank, digit, minus, point, zero.
inline void classify(__m256i v, unsigned& blank, unsigned& digit, unsigned& minus, unsigned& point, unsigned& zero) {
  const __m256i t = _mm256_sub_epi8(v, _mm256_set1_epi8('0'));
  blank = mask32(_mm256_cmpeq_epi8(v, _mm256_set1_epi8(' ')));
  digit = mask32(_mm256_cmpeq_epi8(_mm256_min_epu8(t, _mm256_set1_epi8(9)), t));
  minus = mask32(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('-')));
  point = mask32(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('.')));
  zero = mask32(_mm256_cmpeq_epi8(t, _mm256_setzero_si256()));
}

char* numerifiedFields(char* out, const char* line, const FieldRun* runs, std::size_t runCount) {
  for (const FieldRun* r = runs; r != runs + runCount; ++r) {
    const char* in = line + r->offset;
    std::size_t k = 0;
    unsigned blank, digit, minus, point, zero;
    for (; k + 3 <= r->count; k += 3, in += 3 * kWidth) {  // three fields read at once, from two bytes in front
      classify(load32(in - 2), blank, digit, minus, point, zero);
      for (int f = 0; f < 3; ++f) {
        const int s = 2 + 10 * f;
        const FieldBits b{blank >> s & 0x3FF, digit >> s & 0x3FF, minus >> s & 0x3FF, point >> s & 0x3FF, zero >> s & 0x3FF};
        if (!(out = numerifyOne(out, in + kWidth * f, b))) return nullptr;
      }
    }
    for (; k < r->count; ++k, in += kWidth) {  // one, from six bytes in front
      classify(_mm256_zextsi128_si256(load16(in - 6)), blank, digit, minus, point, zero);
      const FieldBits b{blank >> 6 & 0x3FF, digit >> 6 & 0x3FF, minus >> 6 & 0x3FF, point >> 6 & 0x3FF, zero >> 6 & 0x3FF};
      if (!(out = numerifyOne(out, in, b))) return nullptr;
    }
  }
  return out;
}

}  // namespace

extern const Kernels kAvx2Kernels;
const Kernels kAvx2Kernels{KernelId::Avx2, "avx2", findLineEnd, anyHighByte, rawFields, numerifiedFields};

}  // namespace h7
