// The extraction run: census data files in, CSV (or a map) out, with its three counters.
#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "core/messages.h"
#include "extract/run_inputs.h"

namespace h7 {

enum class RunEnd { Completed, NoItems, Failed };

struct RunResult {
  RunEnd end = RunEnd::Failed;
  std::optional<Failure> failure;  // why it did not complete
  int KCNT = 0;                    // lines read from the item-name file
  long long ICNT = 0;              // lines read from the census data files
  long long OCNT = 0;              // lines written, the header included
  std::vector<ItemSet> itemSets;   // the sets with the run's substitutions (intervals and last numbers of 0)
  std::vector<int> itemPositions;  // the output items, in order
  std::vector<long long> noNumber;  // with stats: per output item, values holding no number
  QStringList warnings;             // what the user should know of a run that went on (long lines)
  std::optional<JoinCounts> joined;  // of a completed map output

  // What the user is told: the completion message, or "ERROR  " and the failure.
  QString message() const;
};

// Called when reading starts (all 0), then as records are done.
struct RunProgressInfo {
  long long lines = 0;       // lines read
  long long bytes = 0;       // bytes of the census data files read
  long long totalBytes = 0;  // their size
};
using RunProgress = std::function<void(const RunProgressInfo&)>;

// One whole run: the inputs opened, the item names read, the header and the records
// written. The output file is replaced only when the run completes; after the no-items
// message or a failure it is as it was, and no partial file is left.
RunResult runExtraction(const RunInputs& inputs, const RunProgress& progress = {});

}  // namespace h7
