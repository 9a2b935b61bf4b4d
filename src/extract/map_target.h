// The map road of a run: each kept area becomes a feature of one GeoPackage layer, joined on
// its KEY_CODE to a boundary layer, through the map module. The GeoPackage is the output
// file's temporary (OutputFile, filled by the module's SQLite), moved over the output when
// the run completes, as a CSV output is.
#pragma once

#include <string>
#include <vector>

#include "extract/files.h"
#include "extract/output_target.h"
#include "extract/record.h"
#include "extract/run_inputs.h"
#include "map/h7map.h"

namespace h7 {

// On a worker thread: a kept record's values as the map target reads them back: its codes
// (KEY_CODE first) and each output item's raw bytes, or its numerified value (NaN, a NULL
// in the map, where the field holds no number, unless `suppressedAsZero`). False when a
// numerified value does not fit a double.
bool appendMapRecord(ByteBuffer& out, const RecordView& record, const RecordLayout& layout, bool suppressedAsZero);

class MapTarget final : public OutputTarget {
 public:
  // `file`: the output, opened for a database; `unmatched`: the list of codes that did not
  // join, open when asked for; `groupOffset`: item position to item number.
  MapTarget(const RunInputs& in, OutputFile& file, OutputFile& unmatched, int groupOffset);
  ~MapTarget() override;
  MapTarget(const MapTarget&) = delete;
  MapTarget& operator=(const MapTarget&) = delete;

  // Opens the boundaries, indexes their keys and creates the GeoPackage's layer.
  std::optional<Failure> header(const NameTable& names, const std::vector<int>& positions) override;
  std::optional<Failure> write(const ByteBuffer& made) override;
  std::optional<Failure> finish() override;
  const JoinCounts& counts() const { return counts_; }
  const QStringList& warnings() const { return warnings_; }

 private:
  Failure failure(const h7map_failure& failed) const;  // in the user's words
  static void warned(void* self, int warning, const char* text);
  std::optional<Failure> checkCopiedFields(const std::vector<QByteArray>& columns) const;
  void setText(std::size_t column, std::string_view shiftJis);
  std::optional<Failure> listUnmatched(std::string_view code, const QString& side);
  std::optional<Failure> noneJoined();

  const MapRequest& request_;
  QString output_;
  OutputFile& file_;
  OutputFile& unmatched_;
  ByteBuffer unmatchedLines_;  // written to unmatched_ as it fills
  QStringList someCodes_;      // of areas without a boundary, the first few
  int groupOffset_;
  bool numerify_;
  const h7map_api* api_ = nullptr;
  h7map_join* join_ = nullptr;
  std::vector<h7map_value> values_;  // of the record being added, one per column
  std::vector<std::string> utf8_;    // the texts of those that needed decoding
  JoinCounts counts_;
  QStringList warnings_;
};

}  // namespace h7
