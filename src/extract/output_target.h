// Where a run's output goes, on the collecting thread and in order: the header, then what the
// workers made of the kept records, then the end, after which the one writer (OutputFile)
// moves the output into place. The CSV road writes lines (extract/csv_target.h), the map road
// features of a GeoPackage (extract/map_target.h).
#pragma once

#include <optional>
#include <vector>

#include "core/messages.h"
#include "extract/byte_buffer.h"
#include "extract/item_names.h"

namespace h7 {

class OutputTarget {
 public:
  virtual ~OutputTarget() = default;
  // Before any record: the item-name table and the output items' positions, in order.
  virtual std::optional<Failure> header(const NameTable& names, const std::vector<int>& positions) = 0;
  // What the workers made of a piece of kept records.
  virtual std::optional<Failure> write(const ByteBuffer& made) = 0;
  // After the last record, before the output is moved into place.
  virtual std::optional<Failure> finish() { return std::nullopt; }
};

}  // namespace h7
