#include "core/picker_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>


namespace h7 {

namespace {

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseInsensitive;
std::filesystem::path fsPath(const QString& path) { return std::filesystem::path(path.toStdWString()); }
QString fromFsName(const std::filesystem::path& name) { return QString::fromStdWString(name.native()); }
#else
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseSensitive;
std::filesystem::path fsPath(const QString& path) { return std::filesystem::path(QFile::encodeName(path).toStdString()); }
QString fromFsName(const std::filesystem::path& name) { return QFile::decodeName(QByteArray::fromStdString(name.native())); }
#endif

bool byName(const QString& a, const QString& b) {
  const int c = a.compare(b, Qt::CaseInsensitive);
  return c != 0 ? c < 0 : a < b;
}

Failure folderFailure(const std::error_code& failure) {
  const std::error_condition c = failure.default_error_condition();
  const int e = c.category() == std::generic_category() ? c.value() : EIO;
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
  std::sort(roots.begin(), roots.end(), byName);
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
  std::error_code failure;
  std::filesystem::directory_iterator entry(fsPath(folder), failure);
  for (; !failure && entry != std::filesystem::directory_iterator(); entry.increment(failure)) {
    const QString name = fromFsName(entry->path().filename());
    if (QFileInfo(joinFolderAndName(folder, name)).isHidden()) continue;
    std::error_code typeFailure;  // a dangling link counts as a file
    (entry->is_directory(typeFailure) ? listing.folders : listing.files) << name;
  }
  if (failure) return folderFailure(failure);
  std::sort(listing.folders.begin(), listing.folders.end(), byName);
  std::sort(listing.files.begin(), listing.files.end(), byName);
  return listing;
}

}  // namespace h7
