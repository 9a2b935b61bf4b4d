// h7sample --archive: the files it makes packed into one archive, streamed through
// libarchive's write callbacks into the one writer (BlockWriter, OutputFile): no file is held
// in memory or unpacked anywhere. Fixed times, owner and permissions, so that the same
// command gives the same bytes.
#pragma once

#include <QString>
#include <vector>

#include "core/messages.h"
#include "sample_writer.h"

enum class ArchiveFormat { None, Zip, TarGz };

// The files as the members of the archive at `path`, at its top level under their names,
// written or compared with the file there (as BlockWriter does); each member's line, then
// the archive's, said once it is written or found the same.
h7::Result<Outcome> writeArchive(const QString& path, ArchiveFormat format, const std::vector<SampleFile>& files, bool compare);
