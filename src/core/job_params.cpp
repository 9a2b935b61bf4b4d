#include "core/job_params.h"

#include "core/numeric.h"

namespace h7 {

std::optional<Failure> JobValue::assign(double value) {
  if (!int16_) {
    value_ = value;
    return std::nullopt;
  }
  auto v = roundToInt16(value);
  if (!v) return msg::overflow();
  value_ = *v;
  return std::nullopt;
}

std::vector<ItemSet> JobParams::itemSets() const {
  std::vector<ItemSet> sets(5);
  for (std::size_t i = 0; i < 5; ++i) sets[i] = {NFR[i], NTO[i], INT[i]};
  return sets;
}

std::vector<MunicipalityRange> JobParams::municipalityRanges() const {
  std::vector<MunicipalityRange> ranges(5);
  for (std::size_t i = 0; i < 5; ++i) ranges[i] = {SFR[i], STO[i]};
  return ranges;
}

void JobParams::storeItemSets(const std::vector<ItemSet>& sets) {
  for (std::size_t i = 0; i < 5 && i < sets.size(); ++i) {
    NFR[i].assign(sets[i].first);
    NTO[i].assign(sets[i].last);
    INT[i].assign(sets[i].interval);
  }
}

}  // namespace h7
