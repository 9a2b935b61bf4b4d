// h7extract: the extraction run for scripts and batch work.
#include <QCoreApplication>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include "cli/extract_command.h"
#include "core/command_line.h"
#include "extract/kernels/choice.h"

int main(int argc, char** argv) {
  // A standard descriptor the caller closed (">&-") is held by /dev/null opened for reading, so
  // that no file of the run takes its number and "--output -" fails as it should.
  for (int fd = 0; fd <= 2; ++fd)
    if (::fcntl(fd, F_GETFD) == -1)
      if (const int null = ::open("/dev/null", O_RDONLY); null >= 0 && null != fd) ::dup2(null, fd), ::close(null);
  if (const int refused = h7::refusedKernelChoice()) return refused;
  QCoreApplication app(argc, argv);
  const QStringList args = h7::commandLineArguments(argc, argv);  // the bytes of a path kept, UTF-8 or not
  return h7::cli::runCommand(args, QCoreApplication::applicationDirPath(), stdout, stderr);
}
