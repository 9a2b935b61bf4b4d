// The picker's places when it chooses a data location: a folder offers its archives as
// folders too, after its sub-folders, and an archive opened lists the folders and the
// members inside it. A place inside an archive is the archive's path, "/" and the folder
// within it ("/data/census.zip/国勢調査"); choosing it chooses the archive.
#pragma once

#include <QString>
#include <vector>

#include "core/messages.h"
#include "core/picker_paths.h"
#include "extract/archive.h"

namespace h7 {

struct ArchivePlace {
  QString archive;  // the archive that holds the place; empty when none does
  QString inside;   // the folder within it, "" at its top
};
// The file among the path and its ancestors, which the path is inside of.
ArchivePlace archivePlaceOf(const QString& path);

// The data location a place stands for: the archive holding it, else the place itself.
QString dataLocationOf(const QString& path);

// What the folder `inside` of an archive holds, by its members' paths as people read them
// (memberShownPath): the next parts of those below it, as folders where more parts follow
// or the member is a folder, else as files; each sorted as the picker sorts, once. A folder
// no member lies in is not found.
Result<FolderListing> archiveFolderListing(const std::vector<ArchiveEntry>& members, const QString& inside);

// What the picker lists at a place: a folder's entries, with the files that start as
// archives moved to `archives` when `archivesAsFolders`; a place inside an archive (only then)
// the archive's folder.
Result<FolderListing> listPlace(const QString& path, bool archivesAsFolders);

}  // namespace h7
