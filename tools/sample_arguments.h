// h7sample's command line: the options read and checked, in the order of the checks.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "core/groups.h"
#include "core/messages.h"
#include "sample_archive.h"
#include "sample_boundaries.h"

struct SampleRequest {
  bool help = false;  // --help: nothing else read
  bool names = false, data = false, force = false, boundaries = false;
  QString dir;  // --out, cleaned: the folder, or with --archive the archive's file
  ArchiveFormat archive = ArchiveFormat::None;
  std::vector<int> prefectures;  // in the order given, each once
  const h7::TabulationGroup* group = nullptr;
  std::int64_t records = 0;
  std::uint64_t seed = 1;
  int suppressed = -1;  // --suppressed PCT, or -1 for the usual values
  BoundaryOptions shape;
};

// The request of the arguments (program name excluded), or the first thing wrong with them.
h7::Result<SampleRequest> readArguments(const QStringList& arguments);
