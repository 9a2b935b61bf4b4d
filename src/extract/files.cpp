#include "extract/files.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace h7 {

namespace {

std::string native(const QString& path) { return QFile::encodeName(path).toStdString(); }

// This host in the names of temporary files: its name, "/" and blanks left out.
QString hostTag() {
  static const QString tag = [] {
    QString host = QSysInfo::machineHostName();
    host.remove(QRegularExpression(QStringLiteral("[/\\s]")));
    return host.isEmpty() ? QStringLiteral("localhost") : host;
  }();
  return tag;
}

// A missing file in an existing folder, or a missing folder on the way to it.
Failure missing(const QString& path) {
  return QFileInfo(QFileInfo(path).absolutePath()).isDir() ? msg::fileNotFound() : msg::pathNotFound();
}

}  // namespace

QString resolveCaseInsensitive(const QString& path) {
  QFileInfo info(path);
  if (info.exists()) return path;
  QDir dir = info.dir();
  if (!dir.exists()) return path;
  const QStringList all = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  QString found;
  for (const QString& name : all) {
    if (name.compare(info.fileName(), Qt::CaseInsensitive) != 0) continue;
    if (!found.isEmpty()) return path;  // ambiguous: keep the exact name
    found = name;
  }
  return found.isEmpty() ? path : dir.filePath(found);
}

std::optional<Failure> InputFile::open(const QString& path) {
  close();
  if (path.isEmpty()) return msg::badPathName();
  fd_ = ::open(native(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    int e = errno;
    return e == ENOENT ? missing(path) : errnoFailure(e);
  }
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
    int e = S_ISDIR(st.st_mode) ? EISDIR : errno;
    close();
    return errnoFailure(e);
  }
  size_ = S_ISREG(st.st_mode) ? st.st_size : -1;
#ifdef POSIX_FADV_SEQUENTIAL
  ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
  return std::nullopt;
}

std::ptrdiff_t InputFile::readAt(long long offset, char* buffer, std::size_t size) {
  constexpr std::size_t kHeadBytes = 64 * 1024;
  if (size_ < 0 && std::size_t(offset) < head_.size()) {  // read again
    const std::size_t n = std::min(size, head_.size() - std::size_t(offset));
    std::memcpy(buffer, head_.data() + offset, n);
    return std::ptrdiff_t(n);
  }
  for (;;) {
    ssize_t n = size_ >= 0 ? ::pread(fd_, buffer, size, off_t(offset)) : ::read(fd_, buffer, size);
    if (n > 0 && size_ < 0 && std::size_t(offset) < kHeadBytes && std::size_t(offset) == head_.size())
      head_.append(buffer, std::min(std::size_t(n), kHeadBytes - head_.size()));
    if (n >= 0) return n;
    if (errno == EINTR) continue;
    lastError_ = errno;
    return -1;
  }
}

void InputFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  head_.clear();
}

std::optional<Failure> OutputFile::open(const QString& path) {
  discard();
  if (path.isEmpty()) return msg::badPathName();
  target_ = native(path);
  struct stat st {};
  const bool exists = ::stat(target_.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return errnoFailure(EISDIR, true);
  if (exists && !S_ISREG(st.st_mode)) {  // a device or a pipe: written in place
    fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_TRUNC);
    if (fd_ < 0) return errnoFailure(errno, true);
    return std::nullopt;
  }
  QFileInfo info(path);
  const QString folder = info.absolutePath();
  if (!QFileInfo(folder).isDir()) return msg::pathNotFound();
  if (exists && ((st.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0))
    return errnoFailure(EACCES, true);

  removeStaleTemporaries(folder);
  static std::atomic<unsigned> counter{0};
  temp_ = native(QDir(folder).filePath(temporaryName(info.fileName(), ::getpid(), counter.fetch_add(1))));
  const mode_t mode = exists ? (st.st_mode & 07777) : 0666;
  fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd_ < 0) {
    int e = errno;
    temp_.clear();
    return errnoFailure(e, true);
  }
  if (exists) ::fchmod(fd_, mode);  // keep the permissions the user gave the file
  return std::nullopt;
}

std::optional<Failure> OutputFile::adopt(int descriptor) {
  discard();
  fd_ = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
  return fd_ < 0 ? std::optional(errnoFailure(errno, true)) : std::nullopt;
}

std::optional<Failure> OutputFile::write(const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd_, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errnoFailure(errno, true);
    }
    data += n;
    size -= std::size_t(n);
  }
  return std::nullopt;
}

std::optional<Failure> OutputFile::commit() {
  if (fd_ < 0) return errnoFailure(EBADF, true);
  if (!temp_.empty() && ::fsync(fd_) != 0) return errnoFailure(errno, true);
  if (::close(fd_) != 0) {
    fd_ = -1;
    return errnoFailure(errno, true);
  }
  fd_ = -1;
  if (!temp_.empty()) {
    if (::rename(temp_.c_str(), target_.c_str()) != 0) return errnoFailure(errno, true);
    temp_.clear();
  }
  return std::nullopt;
}

void OutputFile::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

QString temporaryName(const QString& fileName, long long pid, unsigned serial) {
  return QStringLiteral(".%1.h7tmp-%2-%3-%4").arg(fileName, hostTag(), QString::number(pid), QString::number(serial));
}

void removeStaleTemporaries(const QString& folder) {
  static const QRegularExpression own(QStringLiteral("^\\..+\\.h7tmp-(.+)-(\\d{1,9})-\\d+$"));
  const QDir dir(folder);
  for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
    const QRegularExpressionMatch m = own.match(name);
    if (m.hasMatch() && m.captured(1) == hostTag() && ::kill(pid_t(m.captured(2).toInt()), 0) != 0 && errno == ESRCH)
      QFile::remove(dir.filePath(name));
  }
}

bool sameFile(const QString& a, const QString& b) {
  struct stat sa {}, sb {};
  if (::stat(native(a).c_str(), &sa) != 0 || ::stat(native(b).c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace h7
