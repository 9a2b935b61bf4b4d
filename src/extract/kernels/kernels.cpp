#include "extract/kernels/kernels.h"

// H7_AVX2_SUPPORTED and H7_AVX512_SUPPORTED, defined where the build has that kernel.
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
  if (!kernelUsable(id)) return nullptr;
  switch (id) {
    case KernelId::Scalar: return &kScalarKernels;
#ifdef H7_AVX2_SUPPORTED
    case KernelId::Avx2: return &kAvx2Kernels;
#endif
#ifdef H7_AVX512_SUPPORTED
    case KernelId::Avx512: return &kAvx512Kernels;
#endif
    default: return nullptr;
  }
}

std::vector<const Kernels*> availableKernels() {
  std::vector<const Kernels*> list;
  for (KernelId id : kFastestFirst)
    if (const Kernels* k = kernelsFor(id)) list.push_back(k);
  return list;
}

}  // namespace h7
