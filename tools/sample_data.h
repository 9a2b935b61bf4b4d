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
  QString dir;
  int pref;
  const h7::TabulationGroup* group;
  std::int64_t records;
  std::uint64_t seed;
  int suppressed = -1;  // 0-100: the harsh mix with this share of blank, X and - fields; -1 the usual values
  // When set: each record is handed here (its index in the file and its KEY_CODE as the run
  // reads it) instead of written, its bytes thrown away.
  std::function<std::optional<h7::Failure>(std::int64_t index, std::string_view key)> record;
};

// DIR/H7S<NN>S<G>.DAT made, or compared with the file there; a line on standard output for a
// file written or found the same.
h7::Result<Outcome> writeDataFile(const DataJob& job, bool compare);
