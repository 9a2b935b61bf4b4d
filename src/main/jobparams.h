// The job parameters: the state that every screen shares through the main screen.
#pragma once

#include <QString>
#include <vector>

#include "extract/itemlist.h"
#include "extract/municipality_filter.h"

namespace h7 {

// One numeric job parameter: a double that starts at 0 (empty reads as 0), or, for set
// and range 5, a 16-bit signed integer. Assigning a value outside -32768..32767 to a
// 16-bit one fails and leaves its content; fractions round halves to the even neighbour.
class JobValue {
 public:
  constexpr JobValue() = default;
  static constexpr JobValue int16() {
    JobValue v;
    v.int16_ = true;
    return v;
  }
  bool assign(double value);
  double value() const { return value_; }
  operator double() const { return value_; }
  bool isInt16() const { return int16_; }

 private:
  double value_ = 0;
  bool int16_ = false;
};

struct JobParams {
  QString B_Path;                  // the program's folder, where the item-name files lie
  QString SHI_SW = QStringLiteral("OFF");  // exactly "ON" applies the municipality ranges
  QString TEXTSW;                  // "TEXT1" or "TEXT2": the field the file picker fills

  JobValue NFR1, NFR2, NFR3, NFR4, NFR5 = JobValue::int16();  // first item numbers
  JobValue NTO1, NTO2, NTO3, NTO4, NTO5 = JobValue::int16();  // last item numbers
  JobValue INT1, INT2, INT3, INT4, INT5 = JobValue::int16();  // intervals
  JobValue SFR1, SFR2, SFR3, SFR4, SFR5 = JobValue::int16();  // first municipality codes
  JobValue STO1, STO2, STO3, STO4, STO5 = JobValue::int16();  // last municipality codes

  // The members of sets and ranges 1 to 5, in order, for loops.
  static constexpr JobValue JobParams::*itemFirst[5] = {&JobParams::NFR1, &JobParams::NFR2, &JobParams::NFR3,
                                                        &JobParams::NFR4, &JobParams::NFR5};
  static constexpr JobValue JobParams::*itemLast[5] = {&JobParams::NTO1, &JobParams::NTO2, &JobParams::NTO3,
                                                       &JobParams::NTO4, &JobParams::NTO5};
  static constexpr JobValue JobParams::*itemInterval[5] = {&JobParams::INT1, &JobParams::INT2, &JobParams::INT3,
                                                           &JobParams::INT4, &JobParams::INT5};
  static constexpr JobValue JobParams::*rangeFirst[5] = {&JobParams::SFR1, &JobParams::SFR2, &JobParams::SFR3,
                                                         &JobParams::SFR4, &JobParams::SFR5};
  static constexpr JobValue JobParams::*rangeLast[5] = {&JobParams::STO1, &JobParams::STO2, &JobParams::STO3,
                                                        &JobParams::STO4, &JobParams::STO5};

  // The five item sets and municipality ranges as the run takes them.
  std::vector<ItemSet> itemSets() const;
  std::vector<MunicipalityRange> municipalityRanges() const;
  bool municipalityFilterOn() const { return SHI_SW == QLatin1String("ON"); }

  // Writes back what the run substituted (intervals of 0, last item numbers of 0).
  void storeItemSets(const std::vector<ItemSet>& sets);
};

}  // namespace h7
