// The back operation of the municipality selection screen without its window: the
// filter switch, half-width conversion of the ten fields, store, checks, end substitution.
#pragma once

#include <QString>
#include <array>
#include <vector>

#include "extract/municipality_filter.h"
#include "main/jobparams.h"

namespace h7 {

namespace rangemsg {
inline QString startAfterEnd() { return QStringLiteral("ERROR  開始項目　＞　終了項目"); }
inline QString unknownCode() { return QStringLiteral("ERROR  市区町番号が不明"); }
}  // namespace rangemsg

// The checks, in order over all ranges: start > end (end not 0), start below 100 (not 0),
// starts then ends above 999. Only when all pass, every end of 0 becomes its start.
// Returns the message of the first failed check, or an empty text.
QString checkMunicipalityRanges(std::vector<MunicipalityRange>& ranges);

// The whole back operation on the texts of Text1..Text10 (start and end of range 1,
// then range 2, ...). An empty Text1 sets SHI_SW to "OFF" and touches nothing else.
// Otherwise SHI_SW becomes "ON", the texts are converted in place, all ten values are
// stored (SFR1..5 then STO1..5; range 5 rounded halves to even; one that does not fit
// 16 bits stops the store there with "ERROR  " + the overflow description), checked,
// and on success the ends of 0 substituted. Returns an empty text or the message.
QString storeAndCheckMunicipalities(std::array<QString, 10>& fields, JobParams& params);

}  // namespace h7
