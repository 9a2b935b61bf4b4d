#include "extract/kernels/choice.h"

#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "core/command_line.h"
#include "core/half_width.h"

namespace h7 {

Result<const Kernels*> chooseKernels() {
  const char* given = std::getenv("H7_KERNEL");
  const QString value = fromNativeBytes(given ? given : "");
  const QString wanted = trimBlanks(value).toString().toLower();  // " AVX2" names avx2
  if (wanted.isEmpty()) return kernelsFor(fastestKernel());
  QStringList names, usableNames;
  for (const Kernels* k : availableKernels()) usableNames << QString::fromLatin1(k->name());
  for (KernelId id : kFastestFirst) {
    names.prepend(QString::fromLatin1(kernelName(id)));  // every kernel's name, the slowest first
    if (wanted != names.constFirst()) continue;
    if (const Kernels* k = kernelsFor(id)) return k;
    return rejected(msg::badKernel(showKeptBytes(value), usableNames.join(QStringLiteral(", "))));
  }
  return rejected(msg::unknownKernel(showKeptBytes(value), names.join(QStringLiteral(", "))));
}

const Kernels& activeKernels() {
  static const Kernels* const chosen = [] {
    const Result<const Kernels*> k = chooseKernels();
    return k ? *k : kernelsFor(fastestKernel());
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
