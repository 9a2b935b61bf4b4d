// The command line of h7extract, read in one pass: the options, then their values through
// the same rules as the screens, into the run's inputs or the item list's.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "core/groups.h"
#include "core/job_params.h"
#include "core/messages.h"
#include "extract/run.h"

namespace h7::cli {

enum class Mode { Extract, ListItems, Help, Version };

struct Invocation {
  Mode mode = Mode::Extract;
  RunInputs run;                // the run; for the item list its group and program folder
  bool allPrefectures = false;  // --pref all: the prefectures whose files the input folder holds
  QString filter;               // the item list's search text
  bool quiet = false;           // no progress line
};

// The arguments (program name excluded). Item names are looked for in --names, or else
// where the desktop program looks: `programFolder` first, then the census data folder
// (--input) and the data folders of the program. A refused command line gives the whole
// text for stderr.
Result<Invocation> readInvocation(const QStringList& args, const QString& programFolder);

// "FIRST[-LAST][:INTERVAL],..." of strict numbers (digits, after the half-width conversion
// and blanks trimmed) into the values the item selection fields would store.
Result<std::vector<ItemSet>> parseItemSets(const QString& text);
// "FIRST[-LAST],..." of strict numbers into municipality ranges, checked by the municipality
// screen's rules; a list that keeps no record (a first FIRST of 0) is refused.
Result<std::vector<MunicipalityRange>> parseMunicipalityRanges(const QString& text);
// "13", "01-47", "13,14,TT": one or two digits or TT, each checked and normalised like the
// prefecture field, ranges expanded; in prefecture order, each once.
Result<QStringList> parsePrefectures(const QString& text);
// The prefectures 01-47 whose census data files of the group a folder holds, in order.
QStringList prefecturesFound(const QString& folder, const TabulationGroup& group);


}  // namespace h7::cli
