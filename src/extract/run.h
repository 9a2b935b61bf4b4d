// The extraction run: census data files in, CSV out, with its three counters.
#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "core/job_params.h"
#include "core/messages.h"

namespace h7 {

struct RunInputs {
  QString inputFolder;      // folder of the census data files
  QString outputFile;       // path of the output file
  QStringList prefectures;  // two characters each, as the prefecture field holds them; in output order
  int group = 1;            // tabulation group 1..3
  bool numerify = false;    // numerified values instead of raw ones
  QStringList nameFolders;  // where the item-name files are looked for, in order
  std::vector<ItemSet> itemSets;  // in order
  bool municipalityFilter = false;
  std::vector<MunicipalityRange> municipalities;
  bool utf8 = false;     // write UTF-8 instead of Shift-JIS
  bool utf8Bom = false;  // with utf8: a byte order mark first, for spreadsheet programs
  bool stats = false;    // count, per output item, the values that hold no number
  bool key = false;      // a first column KEY_CODE: the area's whole code (prefecture, municipality, area)
  bool longForm = false;  // a line per area and output item: codes, item number, item name, value
  int outputDescriptor = -1;  // 0 or more: the output goes to this open descriptor, not to outputFile
  // When set, the output goes to this instead of a file: the header and record lines in
  // order, Shift-JIS whatever utf8 says, in the pieces the file would get (whole lines, but
  // for a header of very many names). outputFile is not opened but still checked against
  // the inputs. A failure it returns ends the run.
  std::function<std::optional<Failure>(std::string_view lines)> outputLines;
  int threads = -1;      // worker threads for the records: -1 one per core, 0 none
  std::size_t chunkBytes = std::size_t(2) << 20;  // files are cut into pieces of this size for the workers
};

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
