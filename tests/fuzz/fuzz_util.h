// Shared by the fuzz targets: a check that stops the program with a message (libFuzzer
// then keeps the input), and a cursor that takes small decisions off the front of the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#define H7_FUZZ_CHECK(cond)                                                              \
  do {                                                                                   \
    if (!(cond)) {                                                                       \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);      \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

namespace h7fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}
  // One byte of the input, 0 once it is used up.
  std::uint8_t byte() { return p_ < end_ ? *p_++ : 0; }
  std::uint16_t word() { return std::uint16_t(byte() | (byte() << 8)); }
  // The rest of the input.
  std::string_view rest() const { return {reinterpret_cast<const char*>(p_), std::size_t(end_ - p_)}; }

 private:
  const std::uint8_t* p_;
  const std::uint8_t* end_;
};

}  // namespace h7fuzz
