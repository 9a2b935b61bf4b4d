// The values of h7extract's options, each read by its own rule: lists of item sets,
// municipality ranges and prefectures of strict numbers (core/command_line.h), and the form
// in which two values of one option are compared.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "core/groups.h"
#include "core/job_params.h"
#include "core/messages.h"

namespace h7::cli {

// "FIRST[-LAST][:INTERVAL],..." of strict numbers (digits, after the half-width conversion
// and blanks trimmed) into the values the item selection fields would store.
Result<std::vector<ItemSet>> parseItemSets(const QString& text);
// "FIRST[-LAST],..." of strict numbers into municipality ranges, checked by the municipality
// screen's rules; a list that keeps no record (a first FIRST of 0) is refused.
Result<std::vector<MunicipalityRange>> parseMunicipalityRanges(const QString& text);
// The prefectures of --pref: those named, and whether `all` is among them (every 01-47 file
// of the input folder, added by the caller).
struct PrefectureList {
  QStringList named;
  bool all = false;
  bool operator==(const PrefectureList&) const = default;
};
// "13", "01-47", "13,14,TT", "all,TT": one or two digits or TT, each checked and normalised
// like the prefecture field, ranges expanded, in prefecture order, each once; `all` in any
// letter case, anywhere in the list.
Result<PrefectureList> parsePrefectures(const QString& text);
// The prefectures 01-47 whose census data files of the group a folder or archive holds, in order.
Result<QStringList> prefecturesFound(const QString& folder, const TabulationGroup& group);

// An option's value (option name without "--") as it counts when the option is given twice:
// two values that select the same are the same.
QString comparable(const QString& option, const QString& value);

}  // namespace h7::cli
