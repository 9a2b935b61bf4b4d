// h7extract: the extraction run for scripts and batch work.
#include <QCoreApplication>
#include <cstdio>

#include "cli/extract_command.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  return h7::cli::runCommand(args, QCoreApplication::applicationDirPath(), stdout, stderr);
}
