// The prefecture number rule, applied to the main screen's field when it loses the focus
// and to h7extract's --pref.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>

#include "core/messages.h"

namespace h7 {

struct PrefectureCheck {
  QString text;                    // half-width, blanks trimmed, "0" in front unless two characters long
  std::optional<Failure> failure;  // unless "TT" or a numeric value from 1 to 47
};

PrefectureCheck checkPrefecture(QStringView fieldText);

}  // namespace h7
