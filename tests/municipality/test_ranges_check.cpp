// What the municipality screen cannot reach: the any number of ranges that h7extract
// checks. The screen's own cases are typed in gui_form6.
#include <gtest/gtest.h>

#include "municipality/ranges_check.h"

using namespace h7;

TEST(MunicipalityCheck, TakesAnyNumberOfRanges) {
  const std::pair<MunicipalityRange, QString> sixth[] = {  // every check reaches a sixth range
      {{201, 0}, {}}, {{205, 201}, rangemsg::startAfterEnd()}, {{50, 0}, rangemsg::unknownCode()},
      {{1000, 0}, rangemsg::unknownCode()}, {{201, 1000}, rangemsg::unknownCode()}};
  for (const auto& [range, message] : sixth) {
    std::vector<MunicipalityRange> ranges = {{101, 0}, {102, 105}, {0, 0}, {106, 0}, {107, 0}, range};
    EXPECT_EQ(checkMunicipalityRanges(ranges), message) << range.first;
    if (message.isEmpty()) {
      EXPECT_EQ(ranges[5].last, 201);
    }
  }
}
