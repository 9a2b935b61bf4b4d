// h7sample's random numbers: splitmix64, so that the stream is the same on every machine.
#pragma once

#include <cstdint>

struct SplitMix64 {
  std::uint64_t state;

  // The generator's finish, a good mix of the 64 bits of z on its own.
  static std::uint64_t finish(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  std::uint64_t next() { return finish(state += 0x9E3779B97F4A7C15ull); }
  std::uint64_t below(std::uint64_t n) { return next() % n; }  // the tiny bias does not matter here
};
