#include "extract/kernels/choice.h"

#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "core/command_line.h"
#include "core/half_width.h"

namespace h7 {

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

int refusedKernelChoice() {
  const Result<const Kernels*> kernels = chooseKernels();
  if (kernels) return 0;
  const QByteArray text = (kernels.failure().description + u'\n').toUtf8();
  std::fwrite(text.constData(), 1, std::size_t(text.size()), stderr);
  std::fflush(stderr);
  return exitStatus(kernels.failure());
}

}  // namespace h7
