#include "municipality/ranges_check.h"

#include "common/halfwidth.h"
#include "common/numeric.h"

namespace h7 {

QString checkMunicipalityRanges(std::vector<MunicipalityRange>& ranges) {
  for (const MunicipalityRange& r : ranges)
    if (r.first > r.last && r.last != 0) return rangemsg::startAfterEnd();
  for (const MunicipalityRange& r : ranges)
    if (r.first < 100 && r.first != 0) return rangemsg::unknownCode();
  for (const MunicipalityRange& r : ranges)
    if (r.first > 999) return rangemsg::unknownCode();
  for (const MunicipalityRange& r : ranges)
    if (r.last > 999) return rangemsg::unknownCode();
  for (MunicipalityRange& r : ranges)
    if (r.last == 0) r.last = r.first;
  return {};
}

QString storeAndCheckMunicipalities(std::array<QString, 10>& fields, JobParams& params) {
  // The switch looks at Text1 as typed: a blank or an ideographic space turns it on.
  if (fields[0].isEmpty()) {
    params.SHI_SW = QStringLiteral("OFF");
    return {};
  }
  params.SHI_SW = QStringLiteral("ON");
  for (QString& f : fields) f = halfWidth(f);

  // Field 2i is the start of range i+1, 2i+1 its end; all starts are stored before the ends.
  constexpr JobValue JobParams::*const* columns[2] = {JobParams::rangeFirst, JobParams::rangeLast};
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < 5; ++i)
      if (!(params.*columns[c][i]).assign(numericValue(fields[2 * i + c])))
        return QStringLiteral("ERROR  ") + overflowDescription();

  std::vector<MunicipalityRange> ranges = params.municipalityRanges();
  QString message = checkMunicipalityRanges(ranges);
  if (message.isEmpty())
    for (int i = 0; i < 5; ++i) (params.*JobParams::rangeLast[i]).assign(ranges[i].last);
  return message;
}

}  // namespace h7
