#include "core/picker_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

#include "core/command_line.h"
#include "core/folders.h"

namespace h7 {

namespace {

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseSensitive;
#endif

bool byName(const QString& a, const QString& b) {
  const int c = a.compare(b, Qt::CaseInsensitive);
  return c != 0 ? c < 0 : a < b;
}

Failure folderFailure(int e) {
  switch (e) {
    case ENOENT:
    case ENOTDIR: return msg::pathNotFound();
    case EACCES:
    case EPERM: return msg::folderNotReadable();
#ifdef ENOMEDIUM
    case ENOMEDIUM: return msg::deviceNotReady();
#endif
    default: return errnoFailure(e);
  }
}

}  // namespace

void sortByName(QStringList& names) { std::sort(names.begin(), names.end(), byName); }

QString pathRoot(const QString& path) {
  if (path.startsWith(QLatin1String("//"))) {  // //server/share
    const qsizetype server = path.indexOf(u'/', 2);
    if (server < 0) return path;
    const qsizetype share = path.indexOf(u'/', server + 1);
    return share < 0 ? path : path.left(share);
  }
  if (path.size() >= 3 && path[0].isLetter() && path[1] == u':' && path[2] == u'/') return path.left(3);
  if (path.startsWith(u'/')) return QStringLiteral("/");
  return {};
}

QString withTrailingSeparator(const QString& folder) {
  return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString joinFolderAndName(const QString& folder, const QString& name) { return withTrailingSeparator(folder) + name; }

QStringList folderAncestors(const QString& folder) {
  const QString root = pathRoot(folder);
  if (root.isEmpty()) return {folder};
  QStringList chain{root};
  QString at = root;
  for (const QString& part : folder.mid(root.size()).split(u'/', Qt::SkipEmptyParts))
    chain << (at = joinFolderAndName(at, part));
  return chain;
}

QString fieldPath(const QString& path) { return QDir::toNativeSeparators(path); }

QStringList driveRoots() {
  QStringList roots;
#ifdef Q_OS_WIN
  for (const QFileInfo& drive : QDir::drives()) roots << drive.filePath();
#else
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    const QString root = volume.rootPath();
    // Bind mounts of single files (common in containers) are no drives.
    if (root != QLatin1String("/") && volume.isValid() && QFileInfo(root).isDir()) roots << root;
  }
  sortByName(roots);
  roots.erase(std::unique(roots.begin(), roots.end()), roots.end());
  roots.prepend(QStringLiteral("/"));
#endif
  return roots;
}

QString driveOf(const QString& path, const QStringList& roots) {
  QString best;
  for (const QString& root : roots) {
    const bool holds = path.compare(root, kPathCase) == 0 || path.startsWith(withTrailingSeparator(root), kPathCase);
    if (holds && root.size() > best.size()) best = root;
  }
  return best;
}

QString driveStartFolder(const QString& root, const QStringList& roots, const QString& currentFolder) {
  return driveOf(currentFolder, roots).compare(root, kPathCase) == 0 ? currentFolder : root;
}

Result<FolderListing> listFolder(const QString& folder) {
  FolderListing listing;
  const int failure = forEachName(folder, [&](std::string_view entry) {
    if (entry.starts_with('.')) return;  // hidden
    const QString name = fromNativeBytes(QByteArrayView(entry.data(), qsizetype(entry.size())));
    const QString path = joinFolderAndName(folder, name);
    struct stat st {};  // a dangling link counts as a file
    (::stat(toNativeBytes(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) ? listing.folders : listing.files) << name;
  });
  if (failure) return folderFailure(failure);
  sortByName(listing.folders);
  sortByName(listing.files);
  return listing;
}

}  // namespace h7
