#include "main/prefecture.h"

#include "common/halfwidth.h"
#include "common/numeric.h"

namespace h7 {

PrefectureCheck checkPrefecture(QStringView fieldText) {
  PrefectureCheck r;
  r.converted = halfWidth(fieldText);
  // Only the blank U+0020 is trimmed; a tab or another space stays part of the text.
  qsizetype begin = 0, end = r.converted.size();
  while (begin < end && r.converted[begin] == QLatin1Char(' ')) ++begin;
  while (end > begin && r.converted[end - 1] == QLatin1Char(' ')) --end;
  r.converted = r.converted.mid(begin, end - begin);

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
