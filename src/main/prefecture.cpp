#include "main/prefecture.h"

#include "common/halfwidth.h"
#include "common/numeric.h"

namespace h7 {

PrefectureCheck checkPrefecture(QStringView fieldText) {
  PrefectureCheck r;
  // Only the blank U+0020 is trimmed; a tab or another space stays part of the text.
  r.converted = trimBlanks(halfWidth(fieldText)).toString();

  r.text = r.converted.size() == 2 ? r.converted : QLatin1Char('0') + r.converted;
  if (r.text == QLatin1String("TT")) {
    r.accepted = true;
  } else {
    const double v = numericValue(r.text);
    r.accepted = v >= 1 && v <= 47;
  }
  return r;
}

}  // namespace h7
