// Where a run's census data and item-name files are: a folder, or an archive (a data
// location that is a file). In a folder, the file of the census name, or one compressed on
// its own beside it; in an archive, the member of that name in any of its folders.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string_view>

#include "core/messages.h"
#include "extract/archive.h"
#include "extract/files.h"

namespace h7 {

struct CensusFile {
  QString path;          // the file itself, or the archive that holds it
  ArchiveEntry member;   // the member in the archive; an empty path: the file itself
  bool compressed = false;  // `path` is the file compressed on its own (.gz, .bz2, .xz)
  bool missing = false;     // not there: `path` is where it was looked for
  bool inArchive() const { return !member.path.empty(); }
  // As people read it: the path, or the archive's path, "/" and the member's.
  QString shown() const;
};

// The file `name` (a census data or item-name file's) at a data location. A folder: the file
// of that name (a copy whose name differs in case will do), else, when it is absent, the
// file of that name with a compression suffix. An archive: the member of that name in any of
// its folders, the exact name first, then any letter case; two such members fail, naming both.
// A file that is not there is found `missing`; opening it fails, saying what is missing.
Result<CensusFile> findCensusFile(const QString& location, const QString& name);
// The file opened to be read: a plain file as it is, the others decompressed as they are read.
Result<std::unique_ptr<ByteSource>> openCensusFile(const CensusFile& file);
// Calls `f` with the name of each file at a data location: a folder's entries (without a
// compression suffix), an archive's members (the last part of their path).
std::optional<Failure> forEachCensusEntry(const QString& location, const std::function<void(std::string_view name)>& f);
// True when the location is a file, read as an archive.
bool isArchiveLocation(const QString& location);
// The members of the archive at `path` (listArchive's), kept while the file stays as it was:
// a run looks up several files in one archive, the picker its folders, and listing a
// compressed tar reads all of it.
Result<std::vector<ArchiveEntry>> archiveMembers(const QString& path);

}  // namespace h7
