// One whole field of 10 bytes numerified, in plain C++: the path of the scalar kernel and
// the one the vector kernels take for a field they do not handle themselves.
#pragma once

#include <cstdint>
#include <cstring>

#include "core/field_width.h"

namespace h7::kernels {

// The `n` bytes of a field numerified at `out` (room for the longest canonical form,
// kCanonicalMax), for one the kernels' own paths do not take: a plain decimal straight
// from its digits, anything else by the general rule. nullptr when the value does not fit
// a double. Built once, in field.cpp, without vector instructions; plain pointers, so that
// no inline function of the standard library is instantiated in the vector files.
char* writeOtherNumber(char* out, const char* field, std::size_t n);

// Internal to each kernel file: the vector kernels' copies are built for their own
// instruction sets and must not stand in for the others.
namespace {

constexpr std::size_t kWidth = h7::kFieldWidth;

// The bytes a raw value may not hold unquoted (comma, quotation mark, LF, CR) by their
// low four bits, for a byte shuffle: no two share them, so a byte is one of them when it
// equals the entry of its low four bits. Other entries differ from every byte with those
// bits; a byte of 0x80 and above looks up 0 and never matches. One row of 16 per 128-bit lane.
struct QuotedByLowBits {
  alignas(64) char entry[64] = {};
  constexpr QuotedByLowBits() {
    for (int i = 0; i < 64; ++i) entry[i] = static_cast<char>(i % 16 == 15 ? 0 : 0xFF);
    const char quoted[] = {',', '"', '\n', '\r'};
    for (int lane = 0; lane < 64; lane += 16)
      for (char c : quoted) entry[lane + (c & 15)] = c;
  }
};
constexpr QuotedByLowBits kQuotedByLowBits;

// The most common fields: blanks, then a whole number without leading zeros (or a lone
// 0; not -0); all blanks, or blanks and one byte that is no digit (X, -), numerify to 0.
// The field is taken as one 128-bit value: blanks counted and digits checked without a
// loop, the digits moved at once into the room behind `out` (16 bytes). nullptr for any
// other field.
[[gnu::always_inline]] inline char* writeRightAlignedInteger(char* out, const char* f) {
  using U = unsigned __int128;  // the ten bytes of the field, first byte lowest
  constexpr auto each = [](std::uint64_t byte) { return U(byte * 0x0101010101010101ULL) | U(byte * 0x0101) << 64; };
  std::uint64_t head;
  std::uint16_t tail;
  std::memcpy(&head, f, 8);
  std::memcpy(&tail, f + 8, 2);
  const U v = U(tail) << 64 | head;
  const U notBlank = v ^ each(' ');
  const std::uint64_t low = std::uint64_t(notBlank), high = std::uint64_t(notBlank >> 64);
  const char last = f[kWidth - 1];
  if ((low | (high & 0xFF)) == 0) {  // nine blanks, then a blank, a digit or any other byte
    *out = last >= '0' && last <= '9' ? last : '0';
    return out + 1;
  }
  // Leading blanks (one of the ten bytes is not blank).
  const int blankBits = low ? __builtin_ctzll(low) : 64 + __builtin_ctzll(high);
  const std::size_t i = std::size_t(blankBits) >> 3;
  const bool negative = f[i] == '-';
  const std::size_t first = i + negative;
  // Bytes from `first` on that are not digits: above '9', below '0', or 0x80 and above.
  // The SWAR digit test of D. Lemire's fast_float (is_made_of_eight_digits_fast), on ten
  // bytes; the high bit set before subtracting, so that no borrow crosses into a neighbour.
  const U notDigit = (((v + each(0x46)) | ~((v | each(0x80)) - each(0x30)) | v) & each(0x80)) >> (8 * first);
  // Taken elsewhere: a sign without digits, leading zeros, -0. One branch on all: whole
  // numbers of any width and lone zeros mix at random in real data.
  const bool zero = f[first < kWidth ? first : 0] == '0';
  unsigned other = (notDigit != 0) | (first == kWidth) | (zero & ((first != kWidth - 1) | negative));
  asm("" : "+r"(other));
  if (other) return nullptr;
  const U digits = v >> (8 * i);
  std::memcpy(out, &digits, 16);
  return out + (kWidth - i);
}

// A whole field numerified (room for 24 bytes); nullptr when it does not fit a double.
[[gnu::always_inline]] inline char* writeWholeField(char* out, const char* field) {
  if (char* end = writeRightAlignedInteger(out, field)) return end;
  return writeOtherNumber(out, field, kWidth);
}

}  // namespace
}  // namespace h7::kernels
