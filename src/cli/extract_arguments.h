// The command line of h7extract, read in one pass: the options, then their values through
// the same rules as the screens, into the run's inputs or the item list's.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "cli/argument_values.h"
#include "core/groups.h"
#include "core/job_params.h"
#include "core/messages.h"
#include "extract/run.h"

namespace h7::cli {

enum class Mode { Extract, ListItems, Help, Version };

struct Invocation {
  Mode mode = Mode::Extract;
  RunInputs run;                // the run; for the item list its group and program folder
  bool allPrefectures = false;  // --pref all: also the prefectures whose files the input folder holds
  QString filter;               // the item list's search text
  bool quiet = false;           // no progress line
};

// The arguments (program name excluded). Item names are looked for in --names, or else
// where the desktop program looks: `programFolder` first, then the census data folder
// (--input) and the data folders of the program. A refused command line gives the whole
// text for stderr.
Result<Invocation> readInvocation(const QStringList& args, const QString& programFolder);

}  // namespace h7::cli
