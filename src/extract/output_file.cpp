// The one writer of output files (files.h): the temporary beside the output, its name, its
// removal on failure and on the signals that end the program, and the move into place.
#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <tuple>
#include <unistd.h>

#include "core/command_line.h"
#include "extract/files.h"
#include "extract/signal_cleanup.h"

namespace h7 {

namespace {

std::string native(const QString& path) { return toNativeBytes(path).toStdString(); }

// 32-bit FNV-1a: a short, stable tag of a longer text.
std::uint32_t shortHash(std::string_view bytes) {
  std::uint32_t h = 2166136261u;
  for (unsigned char c : bytes) h = (h ^ c) * 16777619u;
  return h;
}

std::string hex8(std::uint32_t v) {
  char text[9];
  std::snprintf(text, sizeof text, "%08x", v);
  return text;
}

// This host in the names of temporary files: letters, digits, '.', '_' and '-' of its
// name, at most 20 bytes (a longer one: its start, '~' and a hash of the whole).
const std::string& hostTag() {
  static const std::string tag = [] {
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    std::string host;
    for (const char* c = name; *c; ++c)
      if (std::isalnum(static_cast<unsigned char>(*c)) || std::strchr("._-", *c)) host += *c;
    if (host.size() > 20) host = host.substr(0, 11) + '~' + hex8(shortHash(name));
    return host.empty() ? std::string("localhost") : host;
  }();
  return tag;
}

constexpr std::string_view kTemporaryStart = ".h7tmp-";

std::string temporaryBytes(std::string_view fileName, long long pid, unsigned serial) {
  return std::string(kTemporaryStart) + hex8(shortHash(fileName)) + '-' + hostTag() + '-' + std::to_string(pid) + '-' +
         std::to_string(serial);
}

// The process of a temporary file of this host's runs (".h7tmp-HASH-HOST-PID-N", or SQLite's
// file beside one: N followed by -journal, -wal or -shm), or 0.
long long temporaryOwner(std::string_view name) {
  if (name.substr(0, kTemporaryStart.size()) != kTemporaryStart) return 0;
  name.remove_prefix(kTemporaryStart.size());
  for (std::string_view companion : {"-journal", "-wal", "-shm"})
    if (name.size() > companion.size() && name.substr(name.size() - companion.size()) == companion)
      name.remove_suffix(companion.size());
  const auto digits = [](std::string_view t) { return !t.empty() && t.size() <= 10 && t.find_first_not_of("0123456789") == t.npos; };
  const std::size_t serial = name.rfind('-');
  if (serial == name.npos || !digits(name.substr(serial + 1))) return 0;
  const std::size_t pid = name.rfind('-', serial - 1);
  if (pid == name.npos || !digits(name.substr(pid + 1, serial - pid - 1))) return 0;
  if (pid <= 9 || name[8] != '-' || name.substr(0, 8).find_first_not_of("0123456789abcdef") != name.npos ||
      name.substr(9, pid - 9) != hostTag())
    return 0;
  return std::stoll(std::string(name.substr(pid + 1, serial - pid - 1)));
}

// Removes from the folder the temporary files of this user's runs on this host whose process
// is gone; other users' files, links and temporaries of the earlier form stay.
void removeStaleTemporaries(int folder) {
  forEachNameAt(folder, [&](std::string_view entry) {
    const std::string name(entry);
    const long long pid = temporaryOwner(entry);
    struct stat st {};
    if (pid > 0 && pid <= INT_MAX && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH &&
        ::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
      ::unlinkat(folder, name.c_str(), 0);
  });
}

}  // namespace

std::optional<Failure> OutputFile::open(const QString& path, Filler filler) {
  discard();
  if (path.isEmpty()) return msg::badPathName();
  path_ = path;
  database_ = filler == Filler::Database;
  std::string target = native(path);
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return failed(EISDIR);
  prepareSignals();
  if (exists && !S_ISREG(st.st_mode)) {  // a device or a pipe (/dev/stdout too): written in place
    if (database_) return failed(EINVAL);  // a database is a file
    fd_ = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_TRUNC);
    return fd_ < 0 ? std::optional(failed(errno)) : std::nullopt;
  }
  if (const int error = followLinks(target)) return failed(error);
  struct stat found {};  // a link only the system can follow (to a removed file, say) names nothing to replace
  if (exists && (::stat(target.c_str(), &found) != 0 || found.st_dev != st.st_dev || found.st_ino != st.st_ino))
    return failed(EINVAL);
  auto [folder, name] = splitPath(target);
#ifdef O_PATH
  folder_ = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);  // a folder one may write but not list will do
#else
  folder_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#endif
  if (folder_ < 0) return errno == ENOENT || errno == ENOTDIR ? withPath(msg::pathNotFound(), path) : failed(errno);
  folderPath_ = std::move(folder);
  name_ = std::move(name);
  if (exists && ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)) return failed(EACCES);
  std::tie(replacing_, owner_, group_, mode_) = std::tuple(exists, st.st_uid, st.st_gid, st.st_mode & 07777);

  removeStaleTemporaries(folder_);
  // A name another process holds is passed over: the next serial number is tried.
  static std::atomic<unsigned> serial{0};
  for (int tries = 0; fd_ < 0; ++tries) {
    temp_ = temporaryBytes(name_, ::getpid(), serial.fetch_add(1));
    pending_ = addPendingTemporary(folder_, temp_, database_);  // before it exists: a signal right after creating it removes it
    fd_ = ::openat(folder_, temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, exists ? 0600 : 0666);
    if (fd_ >= 0) break;
    const int error = errno;
    dropPendingTemporary(pending_);
    if (error != EEXIST || tries == 100000) {
      temp_.clear();
      return failed(error);
    }
  }
  if (database_) {  // the name is free and ours: the library creates the file there itself
    ::close(fd_);
    fd_ = -1;
    ::unlinkat(folder_, temp_.c_str(), 0);
  } else if (exists) {
    keepOwnerAndMode();
  }
  return std::nullopt;
}

void OutputFile::keepOwnerAndMode() const {  // the replaced file's, as far as the process may set them
  [[maybe_unused]] const bool owned = ::fchown(fd_, owner_, group_) == 0 || ::fchown(fd_, uid_t(-1), group_) == 0;
  ::fchmod(fd_, mode_);
}

std::optional<Failure> OutputFile::adopt(int descriptor) {
  discard();
  prepareSignals();
  path_ = descriptor == STDOUT_FILENO ? msg::standardOutput() : QString();  // named in its failures
  fd_ = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
  return fd_ < 0 ? std::optional(failed(errno)) : std::nullopt;
}

std::optional<Failure> OutputFile::write(const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd_, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return failed(errno);
    }
    data += n;
    size -= std::size_t(n);
  }
  return std::nullopt;
}

std::optional<Failure> OutputFile::commit() {
  if (database_ && fd_ < 0 && !temp_.empty()) {  // the library has closed the file it made
    fd_ = ::openat(folder_, temp_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd_ < 0) return failed(errno);
    if (replacing_) keepOwnerAndMode();
  }
  if (fd_ < 0) return failed(EBADF);
  if (!temp_.empty() && ::fsync(fd_) != 0) return failed(errno);
  const int closed = ::close(fd_);
  fd_ = -1;
  if (closed != 0) return failed(errno);
  if (!temp_.empty()) {
    if (::renameat(folder_, temp_.c_str(), folder_, name_.c_str()) != 0) return failed(errno);
    if (database_) removeCompanions(folder_, temp_.c_str());
    temp_.clear();
  }
  return std::nullopt;
}

void OutputFile::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlinkat(folder_, temp_.c_str(), 0);
  if (!temp_.empty() && database_) removeCompanions(folder_, temp_.c_str());
  temp_.clear();
  dropPendingTemporary(pending_);
  if (folder_ >= 0) ::close(folder_);
  folder_ = -1;
}

std::string OutputFile::temporaryPath() const { return database_ && !temp_.empty() ? folderPath_ + '/' + temp_ : std::string(); }

std::optional<Failure> OutputFile::spaceFailure() const {
  constexpr long long kSlack = 1 << 20;  // a library writes pages and caches: it stops short of the limit
  struct stat st {};
  if (temp_.empty() || ::fstatat(folder_, temp_.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
  rlimit limit{};
  const bool atLimit = ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
                       (long long)st.st_size + kSlack >= (long long)limit.rlim_cur;
  struct statvfs fs {};
  const bool full = ::fstatvfs(folder_, &fs) == 0 && (long long)(fs.f_bavail * fs.f_frsize) < kSlack;
  return atLimit || full ? std::optional(failed(ENOSPC)) : std::nullopt;
}

Failure OutputFile::failed(int error) const { return withPath(errnoFailure(error, true), path_); }

QString temporaryName(const QString& fileName, long long pid, unsigned serial) {
  return fromNativeBytes(temporaryBytes(native(fileName), pid, serial));
}

}  // namespace h7
