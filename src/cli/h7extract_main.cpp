// h7extract: the extraction run for scripts and batch work.
#include <QCoreApplication>
#include <cstdio>

#include "cli/extract_command.h"
#include "core/command_line.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = h7::commandLineArguments(argc, argv);  // the bytes of a path kept, UTF-8 or not
  return h7::cli::runCommand(args, QCoreApplication::applicationDirPath(), stdout, stderr);
}
