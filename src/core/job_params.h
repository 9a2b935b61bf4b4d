// The job parameters: the state that every screen shares through the main screen, and the
// item sets and municipality ranges they give the run.
#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "core/messages.h"

namespace h7 {

// One item set: first and last item number and interval (0 in last stands for first,
// 0 in interval for 1; a first of 0 ends the list of sets).
struct ItemSet {
  double first = 0;
  double last = 0;
  double interval = 0;
  bool operator==(const ItemSet&) const = default;
};

// One municipality range: first and last code, both inclusive (a first of 0 ends the list).
struct MunicipalityRange {
  double first = 0;
  double last = 0;
  bool operator==(const MunicipalityRange&) const = default;
};

// One numeric job parameter: a double that starts at 0 (empty reads as 0), or, for set
// and range 5, a 16-bit signed integer. Assigning a value outside -32768..32767 to a
// 16-bit one fails (overflow) and leaves its content; fractions round halves to the even
// neighbour.
class JobValue {
 public:
  explicit constexpr JobValue(bool int16 = false) : int16_(int16) {}
  std::optional<Failure> assign(double value);
  operator double() const { return value_; }

 private:
  double value_ = 0;
  bool int16_;
};

// The five values of one kind; element 0 is set (or range) 1, element 4 the 16-bit one.
using JobColumn = std::array<JobValue, 5>;
constexpr JobColumn kJobColumn = {JobValue(), JobValue(), JobValue(), JobValue(), JobValue(true)};

struct JobParams {
  QString B_Path;                          // the program's folder, where the item-name files lie
  QString SHI_SW = QStringLiteral("OFF");  // exactly "ON" applies the municipality ranges
  QString TEXTSW;                          // "TEXT1" or "TEXT2": the field the file picker fills

  JobColumn NFR = kJobColumn;  // first item numbers
  JobColumn NTO = kJobColumn;  // last item numbers
  JobColumn INT = kJobColumn;  // intervals
  JobColumn SFR = kJobColumn;  // first municipality codes
  JobColumn STO = kJobColumn;  // last municipality codes

  std::vector<ItemSet> itemSets() const;
  std::vector<MunicipalityRange> municipalityRanges() const;
  bool municipalityFilterOn() const { return SHI_SW == QLatin1String("ON"); }
  // Writes back what the run substituted (intervals of 0, last item numbers of 0).
  void storeItemSets(const std::vector<ItemSet>& sets);
};

}  // namespace h7
