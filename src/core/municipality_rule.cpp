#include "core/municipality_rule.h"

#include "core/half_width.h"
#include "core/numeric.h"

namespace h7 {

std::optional<Failure> checkMunicipalityRanges(std::vector<MunicipalityRange>& ranges) {
  for (const MunicipalityRange& r : ranges)
    if (r.first > r.last && r.last != 0) return msg::startAfterEnd();
  for (const MunicipalityRange& r : ranges)
    if (r.first < 100 && r.first != 0) return msg::unknownMunicipality();
  for (const MunicipalityRange& r : ranges)
    if (r.first > 999) return msg::unknownMunicipality();
  for (const MunicipalityRange& r : ranges)
    if (r.last > 999) return msg::unknownMunicipality();
  for (MunicipalityRange& r : ranges)
    if (r.last == 0) r.last = r.first;
  return std::nullopt;
}

std::optional<Failure> storeAndCheckMunicipalities(std::array<QString, 10>& fields, JobParams& params) {
  // The switch looks at Text1 as typed: a blank or an ideographic space turns it on.
  if (fields[0].isEmpty()) {
    params.SHI_SW = QStringLiteral("OFF");
    return std::nullopt;
  }
  params.SHI_SW = QStringLiteral("ON");
  for (QString& f : fields) f = halfWidth(f);

  // Field 2i is the start of range i+1, 2i+1 its end; all starts are stored before the ends.
  JobColumn* columns[2] = {&params.SFR, &params.STO};
  for (std::size_t c = 0; c < 2; ++c)
    for (std::size_t i = 0; i < 5; ++i)
      if (auto failure = (*columns[c])[i].assign(numericValue(fields[2 * i + c]))) return failure;

  std::vector<MunicipalityRange> ranges = params.municipalityRanges();
  const std::optional<Failure> failure = checkMunicipalityRanges(ranges);
  if (!failure)
    for (std::size_t i = 0; i < 5; ++i) params.STO[i].assign(ranges[i].last);
  return failure;
}

}  // namespace h7
