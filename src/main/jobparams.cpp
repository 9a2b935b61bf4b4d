#include "main/jobparams.h"

#include "common/numeric.h"

namespace h7 {

bool JobValue::assign(double value) {
  if (!int16_) {
    value_ = value;
    return true;
  }
  auto v = roundToInt16(value);
  if (!v) return false;
  value_ = *v;
  return true;
}

std::vector<ItemSet> JobParams::itemSets() const {
  std::vector<ItemSet> sets(5);
  for (int i = 0; i < 5; ++i)
    sets[i] = {this->*itemFirst[i], this->*itemLast[i], this->*itemInterval[i]};
  return sets;
}

std::vector<MunicipalityRange> JobParams::municipalityRanges() const {
  std::vector<MunicipalityRange> ranges(5);
  for (int i = 0; i < 5; ++i) ranges[i] = {this->*rangeFirst[i], this->*rangeLast[i]};
  return ranges;
}

void JobParams::storeItemSets(const std::vector<ItemSet>& sets) {
  for (int i = 0; i < 5 && i < int(sets.size()); ++i) {
    (this->*itemFirst[i]).assign(sets[i].first);
    (this->*itemLast[i]).assign(sets[i].last);
    (this->*itemInterval[i]).assign(sets[i].interval);
  }
}

}  // namespace h7
