#include "extract/kernels/kernels.h"

#include <QString>
#include <QStringList>
#include <cstdlib>

namespace h7 {

// Each instruction set's file defines its table.
extern const Kernels kScalarKernels;
#if defined(__x86_64__)
extern const Kernels kAvx2Kernels;
extern const Kernels kAvx512Kernels;
#endif

const Kernels* kernelsFor(KernelId id) {
  switch (id) {
    case KernelId::Scalar: return &kScalarKernels;
#if defined(__x86_64__)
    case KernelId::Avx2:
      return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") ? &kAvx2Kernels : nullptr;
    case KernelId::Avx512:  // the field runs need byte permutes (VBMI) and compresses (VBMI2)
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                     __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2") &&
                     __builtin_cpu_supports("bmi") && __builtin_cpu_supports("popcnt")
                 ? &kAvx512Kernels
                 : nullptr;
#else
    default: return nullptr;
#endif
  }
  return nullptr;
}

std::vector<const Kernels*> availableKernels() {
  std::vector<const Kernels*> list;
  for (KernelId id : {KernelId::Avx512, KernelId::Avx2, KernelId::Scalar})
    if (const Kernels* k = kernelsFor(id)) list.push_back(k);
  return list;
}

Result<const Kernels*> chooseKernels() {
  const std::vector<const Kernels*> usable = availableKernels();
  const char* wanted = std::getenv("H7_KERNEL");
  if (!wanted || !*wanted) return usable.front();
  QStringList names;
  for (const Kernels* k : usable) {
    if (std::strcmp(k->name, wanted) == 0) return k;
    names << QString::fromLatin1(k->name);
  }
  return msg::badKernel(QString::fromLocal8Bit(wanted), names.join(QStringLiteral(", ")));
}

const Kernels& activeKernels() {
  static const Kernels* const chosen = [] {
    const Result<const Kernels*> k = chooseKernels();
    return k ? *k : availableKernels().front();
  }();
  return *chosen;
}

}  // namespace h7
