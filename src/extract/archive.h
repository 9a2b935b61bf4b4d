// Archives read through libarchive (zip, LZH, tar, tar.gz, tar.xz, 7z, found by their
// content), and a file compressed on its own (.gz, .bz2, .xz): their members listed, and a
// member read as a file is, streamed, decompressed as it is read.
#pragma once

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "core/messages.h"
#include "extract/files.h"

namespace h7 {

struct ArchiveEntry {
  std::string path;  // as the archive stores it (bytes: UTF-8, or CP932 from older archivers)
  int index = 0;     // its place among the archive's entries
  bool folder = false;
  bool regular = false;  // a file with its bytes (not a folder, link or device)
  long long size = -1;  // -1: not recorded
};

// The entries of the archive at `path`, in the archive's order; fails when the file is
// no archive libarchive reads, or cannot be read (naming the archive, or the member where it stopped).
Result<std::vector<ArchiveEntry>> listArchive(const QString& path);
// True when the start of the regular file at `path` (what the formats' signatures need, its
// first 128 KiB at most) reads as a zip, LZH, tar (plain, gzip, bzip2, xz, zstd) or 7z
// archive: cheap enough to ask of every file in a folder. A compressed tar counts when its
// first header comes out of no more than that.
bool startsAsArchive(const QString& path);

// An archive member's path as people read it: the bytes where they are UTF-8, else decoded
// as CP932.
QString memberShownPath(const std::string& member);

// The member `entry` of the archive at `path` (or, with `compressedFile`, the one file
// compressed on its own at `path`), opened to be read in order from its start. Its size is
// unknown to the reader (-1); progress counts the archive's bytes read.
Result<std::unique_ptr<ByteSource>> openArchiveMember(const QString& path, const ArchiveEntry& entry,
                                                      bool compressedFile = false);

}  // namespace h7
