// h7extract: the extraction run and the item list from the command line.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdio>

namespace h7::cli {

// Runs the command; messages go to `out`/`err` in UTF-8. Returns the exit status:
// 0 completed, 1 the run failed or had no items, 2 bad arguments or a rejected value.
int runCommand(const QStringList& args, const QString& programFolder, std::FILE* out, std::FILE* err);

}  // namespace h7::cli
