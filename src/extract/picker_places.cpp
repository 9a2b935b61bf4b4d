#include "extract/picker_places.h"

#include <sys/stat.h>

#include "core/command_line.h"
#include "extract/census_files.h"

namespace h7 {

namespace {

bool isFolder(const QString& path, bool& exists) {
  struct stat st {};
  exists = ::stat(toNativeBytes(path).constData(), &st) == 0;
  return exists && S_ISDIR(st.st_mode);
}

}  // namespace

ArchivePlace archivePlaceOf(const QString& path) {
  bool exists = false;
  if (isFolder(path, exists)) return {};  // the common case: one look
  for (const QString& at : folderAncestors(path)) {
    if (isFolder(at, exists)) continue;
    if (!exists) return {};
    return {at, path.mid(at.size() + 1)};
  }
  return {};
}

QString dataLocationOf(const QString& path) {
  const ArchivePlace place = archivePlaceOf(path);
  return place.archive.isEmpty() ? path : place.archive;
}

Result<FolderListing> archiveFolderListing(const std::vector<ArchiveEntry>& members, const QString& inside) {
  const QStringList at = inside.split(u'/', Qt::SkipEmptyParts);
  FolderListing listing;
  bool found = at.isEmpty();
  for (const ArchiveEntry& member : members) {
    QStringList parts = memberShownPath(member.path).split(u'/', Qt::SkipEmptyParts);
    parts.removeAll(QStringLiteral("."));  // "./data/..." as tar writes it
    if (parts.mid(0, at.size()) != at) continue;
    if (parts.size() == at.size()) {  // the folder itself, or a file of that path
      found = found || member.folder;
      continue;
    }
    found = true;
    (parts.size() > at.size() + 1 || member.folder ? listing.folders : listing.files) << parts[at.size()];
  }
  if (!found) return msg::pathNotFound();
  for (QStringList* names : {&listing.folders, &listing.files}) {
    sortByName(*names);
    names->removeDuplicates();
  }
  return listing;
}

Result<FolderListing> listPlace(const QString& path, bool archivesAsFolders) {
  if (const ArchivePlace place = archivesAsFolders ? archivePlaceOf(path) : ArchivePlace{}; !place.archive.isEmpty()) {
    const Result<std::vector<ArchiveEntry>> members = archiveMembers(place.archive);
    if (!members) return members.failure();
    return archiveFolderListing(*members, place.inside);
  }
  Result<FolderListing> listing = listFolder(path);
  if (!listing || !archivesAsFolders) return listing;
  for (auto file = listing->files.begin(); file != listing->files.end();) {
    if (startsAsArchive(joinFolderAndName(path, *file))) listing->archives << *file, file = listing->files.erase(file);
    else ++file;
  }
  return listing;
}

}  // namespace h7
