// The CSV road of a run: the header line, then the record lines the workers made, written to
// the output file (or standard output) as they come, re-encoded to UTF-8 on request.
#pragma once

#include "extract/files.h"
#include "extract/output_target.h"
#include "extract/run_inputs.h"

namespace h7 {

class CsvTarget final : public OutputTarget {
 public:
  CsvTarget(OutputFile& file, const RunInputs& in) : file_(file), in_(in) {}
  // The code labels, then the name of each output item (or, in the long form, the labels of
  // its item number, name and value); a byte order mark first with utf8Bom.
  std::optional<Failure> header(const NameTable& names, const std::vector<int>& positions) override;
  std::optional<Failure> write(const ByteBuffer& lines) override;

 private:
  OutputFile& file_;
  const RunInputs& in_;
};

}  // namespace h7
