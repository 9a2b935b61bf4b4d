// The byte and field kernels: the loops that touch every byte of a census file, one
// implementation per instruction set (kernels/scalar.cpp, avx2.cpp, avx512.cpp), all
// giving the same results. Which one a run uses is chosen once, at start (choice.h).
// Without Qt: the vector files include it, and h7extract's start (kernels/usable.cpp).
#pragma once

#include <cstddef>
#include <cstring>
#include <vector>

namespace h7 {

// Output fields that sit side by side in the record: `count` fields of 10 bytes from byte
// `offset` of the line.
struct FieldRun {
  std::size_t offset = 0, count = 0;
};

enum class KernelId { Scalar, Avx2, Avx512 };
// Every kernel, whether this build or processor has it or not, the fastest first.
inline constexpr KernelId kFastestFirst[] = {KernelId::Avx512, KernelId::Avx2, KernelId::Scalar};

// Which kernels this build and processor have, and their names, apart from the kernels
// themselves (kernels/usable.cpp, without the C++ library): h7extract's start names the one
// it would use without loading the run.
const char* kernelName(KernelId id);  // as H7_KERNEL names it
bool kernelUsable(KernelId id);       // scalar always
KernelId fastestKernel();             // the fastest usable one: a run's unless H7_KERNEL names another

struct Kernels {
  KernelId id;
  const char* name() const { return kernelName(id); }
  // The first `end` byte (CR, or LF where LF alone ends lines) in [from, to), or nullptr.
  // Sets `high` when a byte before it (every byte, when there is none) is 0x80 or above;
  // a kernel that does not look sets it always.
  const char* (*findLineEnd)(const char* from, const char* to, char end, bool& high);
  // Whether any of the `n` bytes is 0x80 or above.
  bool (*anyHighByte)(const char* p, std::size_t n);
  // The fields of the runs, each behind a comma, written at `out` (room for 11 bytes a
  // field and 64 more); the line holds every field, and its 50 bytes before the first
  // field may be read. The end of what was written; nullptr when a raw value holds a
  // comma, a quotation mark, an LF or a CR (it needs quoting), or a numerified value
  // does not fit a double.
  char* (*rawFields)(char* out, const char* line, const FieldRun* runs, std::size_t runCount);
  char* (*numerifiedFields)(char* out, const char* line, const FieldRun* runs, std::size_t runCount);
};

// The kernels of one instruction set; nullptr when the processor (or the build) lacks it.
const Kernels* kernelsFor(KernelId id);
// Those the processor has, the fastest first.
std::vector<const Kernels*> availableKernels();

// The first `end` byte in [from, to), or nullptr.
inline const char* findByte(const char* from, const char* to, char end) {
  return static_cast<const char*>(std::memchr(from, end, std::size_t(to - from)));
}

}  // namespace h7
