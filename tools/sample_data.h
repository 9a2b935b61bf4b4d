// h7sample's census data files: records of a prefecture and group, Shift-JIS, CR LF, made from
// the seed alone.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "core/groups.h"
#include "core/messages.h"
#include "sample_writer.h"

struct DataJob {
  int pref;
  const h7::TabulationGroup* group;
  std::int64_t records;
  std::uint64_t seed;
  int suppressed = -1;  // 0-100: the harsh mix with this share of blank, X and - fields; -1 the usual values
  // When set: each record is handed here (its index in the file and its KEY_CODE as the run
  // reads it) instead of written, its bytes thrown away.
  std::function<std::optional<h7::Failure>(std::int64_t index, std::string_view key)> record;
};

// The records of H7S<NN>S<G>.DAT into `out`, until it fails; a failure of job.record.
std::optional<h7::Failure> makeDataFile(const DataJob& job, BlockWriter& out);
// H7S<NN>S<G>.DAT, to be written.
SampleFile dataFile(const DataJob& job);
