// The kernels in plain C++, for any processor (on x86-64 the compiler uses SSE2).
#include <cstdint>
#include <cstring>

#include "extract/kernels/field.h"
#include "extract/kernels/kernels.h"

namespace h7 {

namespace {

using kernels::kWidth;

// 16 bytes as one value: the compiler's generic vectors, one SSE2 register on x86-64.
typedef unsigned char Bytes16 __attribute__((vector_size(16)));

inline Bytes16 load16(const char* p) {
  Bytes16 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline bool anyNonZero(const Bytes16& v) {
  std::uint64_t w[2];
  std::memcpy(w, &v, sizeof w);
  return (w[0] | w[1]) != 0;
}

// The line-end search is the C library's; whether the line holds high bytes is left to
// anyHighByte.
const char* findLineEnd(const char* from, const char* to, char end, bool& high) {
  high = true;
  return findByte(from, to, end);
}

bool anyHighByte(const char* p, std::size_t n) {
  Bytes16 acc{};
  std::size_t i = 0;
  for (; i + 64 <= n; i += 64) acc |= load16(p + i) | load16(p + i + 16) | load16(p + i + 32) | load16(p + i + 48);
  for (; i + 16 <= n; i += 16) acc |= load16(p + i);
  unsigned char rest = 0;
  for (; i < n; ++i) rest |= static_cast<unsigned char>(p[i]);
  return anyNonZero(acc & 0x80) || (rest & 0x80);
}

// Whether any of the n bytes is a comma, a quotation mark, a line feed or a carriage return; the 16 bytes
// in front of p may be read.
bool anyCsvSpecial(const char* p, std::size_t n) {
  Bytes16 acc{};
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const Bytes16 v = load16(p + i);
    acc |= (Bytes16)(v == ',') | (Bytes16)(v == '"') | (Bytes16)(v == '\n') | (Bytes16)(v == '\r');
  }
  if (i < n) {  // the last bytes, at the end of 16 read in front of them
    static constexpr unsigned char kTail[32] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const Bytes16 v = load16(p + n - 16);
    acc |= ((Bytes16)(v == ',') | (Bytes16)(v == '"') | (Bytes16)(v == '\n') | (Bytes16)(v == '\r')) &
           load16(reinterpret_cast<const char*>(kTail) + (n - i));
  }
  return anyNonZero(acc);
}

char* rawFields(char* out, const char* line, const FieldRun* runs, std::size_t runCount) {
  for (const FieldRun* r = runs; r != runs + runCount; ++r) {
    const char* in = line + r->offset;
    if (anyCsvSpecial(in, kWidth * r->count)) return nullptr;
    for (const char* end = in + kWidth * r->count; in < end; in += kWidth, out += kWidth + 1) {
      out[0] = ',';
      std::memcpy(out + 1, in, kWidth);
    }
  }
  return out;
}

char* numerifiedFields(char* out, const char* line, const FieldRun* runs, std::size_t runCount) {
  for (const FieldRun* r = runs; r != runs + runCount; ++r) {
    const char* in = line + r->offset;
    for (std::size_t k = 0; k < r->count; ++k, in += kWidth) {
      *out++ = ',';
      if (!(out = kernels::writeWholeField(out, in))) return nullptr;
    }
  }
  return out;
}

}  // namespace

extern const Kernels kScalarKernels;
const Kernels kScalarKernels{KernelId::Scalar, findLineEnd, anyHighByte, rawFields, numerifiedFields};

}  // namespace h7
