// The rules of the drive, folder and file picker without its window: drive roots,
// the ancestors of a folder, joining a folder and a name, and reading a folder.
// Paths here use "/" as separator (Qt's form); fieldPath gives the native form that
// the main screen's fields receive.
#pragma once

#include <QString>
#include <QStringList>

#include "core/messages.h"

namespace h7 {

// The root part of an absolute path: "/", "C:/" or "//server/share"; empty when relative.
QString pathRoot(const QString& path);

// The folder with one separator at its end: "/data" gives "/data/", while a root that
// already ends in one ("/", "C:/") stays as it is.
QString withTrailingSeparator(const QString& folder);

// Folder and name with exactly one separator between them.
QString joinFolderAndName(const QString& folder, const QString& name);

// The folder and every folder above it, root first: "/a/b" gives "/", "/a", "/a/b".
QStringList folderAncestors(const QString& folder);

// The text a main-screen field receives: native separators.
QString fieldPath(const QString& path);

// The drives: on Windows the drive roots; elsewhere "/" followed by the mount points of
// the mounted volumes that are folders, in name order.
QStringList driveRoots();

// The drive that holds `path`: the longest root that is the path or one of its ancestors;
// empty when none is.
QString driveOf(const QString& path, const QStringList& roots);

// The folder a drive opens at when it is chosen: the process's current folder when that
// lies on the drive, otherwise the drive's root.
QString driveStartFolder(const QString& root, const QStringList& roots, const QString& currentFolder);

// Names in the picker's order: by name ignoring case, names differing only in case by code.
void sortByName(QStringList& names);

// What a folder holds: its subfolders and its other entries (files), each sorted by name
// ignoring case; hidden entries (as the platform marks them) are left out. `archives` are
// files opened as folders (listed after the folders), filled by whoever tells them apart.
struct FolderListing {
  QStringList folders;
  QStringList files;
  QStringList archives;
};
Result<FolderListing> listFolder(const QString& folder);

}  // namespace h7
