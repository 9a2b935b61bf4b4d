// The prefecture number field's rule, applied when the field loses the focus.
#pragma once

#include <QString>
#include <QStringView>

namespace h7 {

inline QString prefectureErrorMessage() { return QStringLiteral("ERROR  都道府県番号異常"); }

struct PrefectureCheck {
  QString converted;  // after half-width conversion and trimming of blanks (written back first)
  QString text;       // after the leading "0" for a text not two characters long
  bool accepted;      // "TT", or a numeric value from 1 to 47
};

PrefectureCheck checkPrefecture(QStringView fieldText);

}  // namespace h7
