// The extraction run: census data file in, CSV out, with its three counters.
#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <functional>
#include <vector>

#include "extract/itemlist.h"
#include "extract/municipality_filter.h"

namespace h7 {

struct RunInputs {
  QString inputFolder;    // folder of the census data file
  QString outputFile;     // path of the output file
  QStringList prefectures;  // two characters each, as the prefecture field holds them; in output order
  int group = 1;          // tabulation group 1..3
  bool numerify = false;  // numerified values instead of raw ones
  QString programFolder;  // where the item-name files lie
  std::vector<ItemSet> itemSets;  // in order; the run writes its substitutions back here
  bool municipalityFilter = false;
  std::vector<MunicipalityRange> municipalities;
  bool utf8 = false;      // write UTF-8 instead of Shift-JIS
  bool utf8Bom = false;   // with utf8: a byte order mark first, for spreadsheet programs
  bool stats = false;     // count, per output item, the values that hold no number
  int threads = -1;       // worker threads for the records: -1 one per core, 0 none
  std::size_t chunkBytes = std::size_t(1) << 20;  // records are handed out in pieces of this size
};

enum class RunEnd { Completed, NoItems, Failed };

struct RunResult {
  RunEnd end = RunEnd::Failed;
  QString message;  // the completion message, or the "ERROR  ..." text to show
  int KCNT = 0;        // lines read from the item-name file
  long long ICNT = 0;  // lines read from the census data file
  long long OCNT = 0;  // lines written, the header included
  std::vector<int> itemPositions;   // the output items, in order
  std::vector<long long> noNumber;  // with stats: per output item, values holding no number
};

// Called when reading starts (all 0), then as records are done.
struct RunProgressInfo {
  long long lines = 0;       // lines read
  long long bytes = 0;       // bytes of the census data files read
  long long totalBytes = 0;  // their size
};
using RunProgress = std::function<void(const RunProgressInfo&)>;

// One whole run. The output file is replaced only when the run completes; after the
// no-items message or a failure it is as it was, and no partial file is left.
RunResult runExtraction(RunInputs& inputs, const RunProgress& progress = {});

QString completionMessage(int KCNT, long long ICNT, long long OCNT);
inline QString noItemsMessage() { return QStringLiteral("ERROR  出力項目の選択指定がされていません。"); }
inline QString errorMessage(const QString& description) { return QStringLiteral("ERROR  ") + description; }

}  // namespace h7
