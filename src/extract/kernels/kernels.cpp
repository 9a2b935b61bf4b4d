#include "extract/kernels/kernels.h"

#include <QString>
#include <QStringList>
#include <cstdlib>
#include <utility>

#include "core/command_line.h"
#include "core/half_width.h"

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
  const char* given = std::getenv("H7_KERNEL");
  const QString value = fromNativeBytes(given ? given : "");
  const QString wanted = trimBlanks(value).toString().toLower();  // " AVX2" names avx2
  if (wanted.isEmpty()) return usable.front();
  // Every kernel's name, whether this build or processor has it or not.
  static const std::pair<KernelId, const char*> kNames[] = {
      {KernelId::Scalar, "scalar"}, {KernelId::Avx2, "avx2"}, {KernelId::Avx512, "avx512"}};
  QStringList names, usableNames;
  for (const Kernels* k : usable) usableNames << QString::fromLatin1(k->name);
  for (const auto& [id, name] : kNames) {
    names << QString::fromLatin1(name);
    if (wanted != QLatin1String(name)) continue;
    if (const Kernels* k = kernelsFor(id)) return k;
    return rejected(msg::badKernel(showKeptBytes(value), usableNames.join(QStringLiteral(", "))));
  }
  return rejected(msg::unknownKernel(showKeptBytes(value), names.join(QStringLiteral(", "))));
}

const Kernels& activeKernels() {
  static const Kernels* const chosen = [] {
    const Result<const Kernels*> k = chooseKernels();
    return k ? *k : availableKernels().front();
  }();
  return *chosen;
}

}  // namespace h7
