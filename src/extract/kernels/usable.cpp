#include "extract/kernels/kernels.h"

// H7_AVX2_SUPPORTED and H7_AVX512_SUPPORTED: the processor tests of the features each
// vector kernel is built for, written by CMakeLists.txt from the same list as its
// compile flags; undefined where the build has no such kernel.
#include "extract/kernels/features.h"

namespace h7 {

const char* kernelName(KernelId id) {
  switch (id) {
    case KernelId::Scalar: return "scalar";
    case KernelId::Avx2: return "avx2";
    case KernelId::Avx512: return "avx512";
  }
  return "";
}

bool kernelUsable(KernelId id) {
  switch (id) {
    case KernelId::Scalar: return true;
#ifdef H7_AVX2_SUPPORTED
    case KernelId::Avx2: return H7_AVX2_SUPPORTED;
#endif
#ifdef H7_AVX512_SUPPORTED
    case KernelId::Avx512: return H7_AVX512_SUPPORTED;
#endif
    default: return false;
  }
}

KernelId fastestKernel() {
  for (KernelId id : kFastestFirst)
    if (kernelUsable(id)) return id;
  return KernelId::Scalar;
}

}  // namespace h7
