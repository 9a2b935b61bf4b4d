#include "core/prefecture_rule.h"

#include "core/half_width.h"
#include "core/numeric.h"

namespace h7 {

PrefectureCheck checkPrefecture(QStringView fieldText) {
  // Only the blank U+0020 is trimmed; a tab or another space stays part of the text.
  const QString half = halfWidth(fieldText);
  const QStringView converted = trimBlanks(half);
  PrefectureCheck r{converted.size() == 2 ? converted.toString() : u'0' + converted.toString(), {}};
  if (r.text == QLatin1String("TT")) return r;
  const double v = numericValue(r.text);
  if (!(v >= 1 && v <= 47)) r.failure = msg::badPrefecture();
  return r;
}

}  // namespace h7
