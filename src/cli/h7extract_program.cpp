// h7extract's program (libh7extract.so), which its start loads for every command line but a
// bare --version: the H7_KERNEL check, Qt, and the command.
#include <QCoreApplication>

#include "cli/extract_command.h"
#include "cli/program_entry.h"
#include "core/command_line.h"
#include "extract/kernels/choice.h"

int h7extract_run(int argc, char** argv) {
  if (const int refused = h7::refusedKernelChoice()) return refused;
  QCoreApplication app(argc, argv);
  const QStringList args = h7::commandLineArguments(argc, argv);  // the bytes of a path kept, UTF-8 or not
  return h7::cli::runCommand(args, QCoreApplication::applicationDirPath(), stdout, stderr);
}
