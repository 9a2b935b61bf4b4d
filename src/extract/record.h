// The lines of the output file: a record's codes and the values of the output items.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "extract/byte_buffer.h"
#include "extract/csv.h"
#include "extract/kernels/kernels.h"
#include "extract/numerify.h"
#include "extract/record_view.h"

namespace h7 {

struct RecordLayout {
  std::vector<int> positions;  // item positions of the output, in order (0..1400)
  std::vector<FieldRun> runs;  // the same fields where positions are bytes, neighbours in the output and the record joined
  std::size_t firstPosition = 0;     // the first character position of the fields
  bool numerify = false;
  bool key = false;  // a first column: the area's whole code, positions 16-26
  // The long form: a line per output item, with the label of its item position
  // (",NUMBER,\"NAME\"") before its value.
  std::vector<std::string> longLabels;
  std::size_t lastPosition = kAreaPos + kAreaLen - 1;  // last character position read
  const Kernels* kernels = nullptr;  // the run's: what finds line ends and writes the fields of whole records
};
RecordLayout makeLayout(std::vector<int> positions, bool numerify, const Kernels& kernels);

// The output line of one record (the lines, in the long form), with CR LF; false when a
// numerified value overflows.
bool appendRecordLine(ByteBuffer& out, const RecordView& record, const RecordLayout& layout);
// The long form's line of output item `item` of a record.
bool appendLongLine(ByteBuffer& out, const RecordView& record, const RecordLayout& layout, std::size_t item);

}  // namespace h7
