#include "extract/kernels/kernels.h"

// H7_AVX2_SUPPORTED and H7_AVX512_SUPPORTED: the processor tests of the features each
// vector kernel is built for, written by CMakeLists.txt from the same list as its
// compile flags; undefined where the build has no such kernel.
#include "extract/kernels/features.h"

namespace h7 {

// Each instruction set's file defines its table.
extern const Kernels kScalarKernels;
#ifdef H7_AVX2_SUPPORTED
extern const Kernels kAvx2Kernels;
#endif
#ifdef H7_AVX512_SUPPORTED
extern const Kernels kAvx512Kernels;
#endif

const Kernels* kernelsFor(KernelId id) {
  switch (id) {
    case KernelId::Scalar: return &kScalarKernels;
#ifdef H7_AVX2_SUPPORTED
    case KernelId::Avx2: return H7_AVX2_SUPPORTED ? &kAvx2Kernels : nullptr;
#endif
#ifdef H7_AVX512_SUPPORTED
    case KernelId::Avx512: return H7_AVX512_SUPPORTED ? &kAvx512Kernels : nullptr;
#endif
    default: return nullptr;
  }
}

std::vector<const Kernels*> availableKernels() {
  std::vector<const Kernels*> list;
  for (KernelId id : {KernelId::Avx512, KernelId::Avx2, KernelId::Scalar})
    if (const Kernels* k = kernelsFor(id)) list.push_back(k);
  return list;
}

}  // namespace h7
