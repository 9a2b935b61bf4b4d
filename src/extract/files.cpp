#include "extract/files.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/command_line.h"

namespace h7 {

namespace {

std::string native(const QString& path) { return toNativeBytes(path).toStdString(); }

// The folder part and the name part of a native path ("." for a bare name).
std::pair<std::string, std::string> splitPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// A missing file in an existing folder, or a missing folder on the way to it.
Failure missing(const QString& path) {
  struct stat st {};
  return ::stat(splitPath(native(path)).first.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? msg::fileNotFound()
                                                                                          : msg::pathNotFound();
}

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

// The process of a temporary file of this host's runs (".h7tmp-HASH-HOST-PID-N"), or 0.
long long temporaryOwner(std::string_view name) {
  if (name.substr(0, kTemporaryStart.size()) != kTemporaryStart) return 0;
  name.remove_prefix(kTemporaryStart.size());
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
  const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = listing < 0 ? nullptr : ::fdopendir(listing);
  if (!dir) {
    if (listing >= 0) ::close(listing);
    return;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const long long pid = temporaryOwner(entry->d_name);
    struct stat st {};
    if (pid > 0 && pid <= INT_MAX && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH &&
        ::fstatat(folder, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
      ::unlinkat(folder, entry->d_name, 0);
  }
  ::closedir(dir);
}

// The file a path names: symbolic links followed to the end, a dangling one to the name it
// points to. 0, or the errno that stopped it.
int followLinks(std::string& path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
    std::string link(PATH_MAX + 1, '\0');
    const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
    if (n < 0) return errno;
    if (n == 0 || std::size_t(n) > PATH_MAX) return n ? ENAMETOOLONG : ENOENT;
    link.resize(std::size_t(n));
    const std::size_t slash = path.rfind('/');
    path = link[0] == '/' || slash == std::string::npos ? link : path.substr(0, slash + 1) + link;
  }
  return ELOOP;
}

// Census data file and item-name file names, any letter case: H7S<NN>S<G>.DAT (NN two
// digits or TT) and NAMEH7S<G>.CCC, G 1 to 3.
bool namedLikeInput(std::string_view name) {
  const auto is = [&](std::size_t at, const char* text) { return ::strncasecmp(name.data() + at, text, std::strlen(text)) == 0; };
  const auto digit = [&](std::size_t at) { return name[at] >= '0' && name[at] <= '9'; };
  const auto group = [&](std::size_t at) { return name[at] >= '1' && name[at] <= '3'; };
  if (name.size() == 11)
    return is(0, "H7S") && ((digit(3) && digit(4)) || is(3, "TT")) && is(5, "S") && group(6) && is(7, ".DAT");
  return name.size() == 12 && is(0, "NAMEH7S") && group(7) && is(8, ".CCC");
}

// The temporaries to remove when a signal ends the program: a folder's descriptor (-1: the
// place is free, -2: being filled) and the name in it. Read by the handler, so plain bytes
// and lock-free atomics only.
struct PendingTemporary {
  std::atomic<int> folder{-1};
  char name[80] = {};
};
static_assert(std::atomic<int>::is_always_lock_free);
PendingTemporary pendingTemporaries[8];

extern "C" void removeTemporariesAndEnd(int signal) {
  const int saved = errno;
  for (PendingTemporary& p : pendingTemporaries)
    if (const int folder = p.folder.load(); folder >= 0) ::unlinkat(folder, p.name, 0);
  ::signal(signal, SIG_DFL);
  ::raise(signal);  // delivered when the handler returns: the program ends as the signal would have it
  errno = saved;
}

// Once per process: SIGINT, SIGTERM and SIGHUP remove the temporaries first, unless the
// program ignores or handles them itself (nohup, say); SIGXFSZ becomes a failed write.
void prepareSignals() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) {
      struct sigaction old {};
      if (::sigaction(signal, nullptr, &old) != 0 || (old.sa_flags & SA_SIGINFO) || old.sa_handler != SIG_DFL) continue;
      struct sigaction action {};
      action.sa_handler = signal == SIGXFSZ ? SIG_IGN : removeTemporariesAndEnd;
      sigemptyset(&action.sa_mask);
      ::sigaction(signal, &action, nullptr);
    }
  });
}

int addPendingTemporary(int folder, const std::string& name) {
  if (name.size() >= sizeof PendingTemporary::name) return -1;
  for (int i = 0; i < int(std::size(pendingTemporaries)); ++i) {
    int free = -1;
    if (!pendingTemporaries[i].folder.compare_exchange_strong(free, -2)) continue;
    std::memcpy(pendingTemporaries[i].name, name.c_str(), name.size() + 1);
    pendingTemporaries[i].folder.store(folder);
    return i;
  }
  return -1;
}

void dropPendingTemporary(int& place) {
  if (place >= 0) pendingTemporaries[place].folder.store(-1);
  place = -1;
}

}  // namespace

QString resolveCaseInsensitive(const QString& path) {
  if (fileExists(path)) return path;
  const auto split = splitPath(native(path));
  const std::string &folder = split.first, &name = split.second;  // clang 14 cannot capture structured bindings
  std::string found;
  bool ambiguous = false;
  forEachName(fromNativeBytes(folder), [&](std::string_view entry) {
    if (entry.size() != name.size() || ::strncasecmp(entry.data(), name.data(), name.size()) != 0) return;
    if (!found.empty()) ambiguous = true;  // more than one: keep the exact name
    found = entry;
  });
  if (found.empty() || ambiguous) return path;
  return path.left(path.lastIndexOf(u'/') + 1) + fromNativeBytes(found);
}

bool fileExists(const QString& path) {
  struct stat st {};
  return !path.isEmpty() && ::stat(native(path).c_str(), &st) == 0;
}

bool forEachName(const QString& folder, const std::function<void(std::string_view name)>& f) {
  DIR* dir = ::opendir(folder.isEmpty() ? "." : native(folder).c_str());
  if (!dir) return false;
  while (const dirent* entry = ::readdir(dir))
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) f(entry->d_name);
  ::closedir(dir);
  return true;
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
  modified_ = (long long)st.st_mtim.tv_sec * 1000000000 + st.st_mtim.tv_nsec;
  readingAgain_ = false;
#ifdef POSIX_FADV_SEQUENTIAL
  ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
  return std::nullopt;
}

bool InputFile::changedSinceOpened() const {
  struct stat st {};
  return size_ >= 0 && (::fstat(fd_, &st) != 0 || st.st_size != size_ ||
                        (long long)st.st_mtim.tv_sec * 1000000000 + st.st_mtim.tv_nsec != modified_);
}

std::ptrdiff_t InputFile::readAt(long long offset, char* buffer, std::size_t size) {
  constexpr std::size_t kHeadBytes = 16 << 20;  // as far as the look at the line ends goes
  if (size_ < 0 && std::size_t(offset) < head_.size()) {  // read again
    readingAgain_ = true;
    const std::size_t n = std::min(size, head_.size() - std::size_t(offset));
    std::memcpy(buffer, head_.data() + offset, n);
    return std::ptrdiff_t(n);
  }
  if (readingAgain_ && !head_.empty()) std::string().swap(head_);  // read again to its end: not needed any more
  for (;;) {
    ssize_t n = size_ >= 0 ? ::pread(fd_, buffer, size, off_t(offset)) : ::read(fd_, buffer, size);
    if (n > 0 && size_ < 0 && !readingAgain_ && std::size_t(offset) < kHeadBytes && std::size_t(offset) == head_.size())
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
  path_ = path;
  std::string target = native(path);
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return failed(EISDIR);
  prepareSignals();
  if (exists && !S_ISREG(st.st_mode)) {  // a device or a pipe (/dev/stdout too): written in place
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
  name_ = std::move(name);
  if (exists && ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)) return failed(EACCES);

  removeStaleTemporaries(folder_);
  // A name another process holds is passed over: the next serial number is tried.
  static std::atomic<unsigned> serial{0};
  for (int tries = 0; fd_ < 0; ++tries) {
    temp_ = temporaryBytes(name_, ::getpid(), serial.fetch_add(1));
    pending_ = addPendingTemporary(folder_, temp_);  // before it exists: a signal right after creating it removes it
    fd_ = ::openat(folder_, temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, exists ? 0600 : 0666);
    if (fd_ >= 0) break;
    const int error = errno;
    dropPendingTemporary(pending_);
    if (error != EEXIST || tries == 100000) {
      temp_.clear();
      return failed(error);
    }
  }
  if (exists) {  // the replaced file's owner, group and permissions, as far as the process may set them
    [[maybe_unused]] const bool owned = ::fchown(fd_, st.st_uid, st.st_gid) == 0 || ::fchown(fd_, uid_t(-1), st.st_gid) == 0;
    ::fchmod(fd_, st.st_mode & 07777);
  }
  return std::nullopt;
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
  if (fd_ < 0) return failed(EBADF);
  if (!temp_.empty() && ::fsync(fd_) != 0) return failed(errno);
  const int closed = ::close(fd_);
  fd_ = -1;
  if (closed != 0) return failed(errno);
  if (!temp_.empty()) {
    if (::renameat(folder_, temp_.c_str(), folder_, name_.c_str()) != 0) return failed(errno);
    temp_.clear();
  }
  return std::nullopt;
}

void OutputFile::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlinkat(folder_, temp_.c_str(), 0);
  temp_.clear();
  dropPendingTemporary(pending_);
  if (folder_ >= 0) ::close(folder_);
  folder_ = -1;
}

Failure OutputFile::failed(int error) const { return withPath(errnoFailure(error, true), path_); }

std::optional<Failure> refuseOutputOverInputs(const QString& output, int descriptor, const QStringList& inputs,
                                              const QStringList& folders) {
  struct stat out {};
  if (descriptor >= 0) {
    if (::fstat(descriptor, &out) != 0) return std::nullopt;
  } else {
    std::string target = native(output);
    const bool exists = ::stat(target.c_str(), &out) == 0;
    const std::string given = splitPath(target).second;
    followLinks(target);
    if (namedLikeInput(given) || namedLikeInput(splitPath(target).second)) return withPath(msg::namedLikeInput(), output);
    if (!exists) return std::nullopt;  // a new file
  }
  if (S_ISCHR(out.st_mode)) return std::nullopt;  // a device such as /dev/null replaces nothing
  const auto same = [&](const QString& path) {
    struct stat st {};
    return ::stat(native(path).c_str(), &st) == 0 && st.st_dev == out.st_dev && st.st_ino == out.st_ino;
  };
  for (const QString& input : inputs)
    if (!input.isEmpty() && same(input)) return withPath(msg::sameAsInput(), input);
  for (const QString& folder : folders) {
    QString found;
    forEachName(folder, [&](std::string_view name) {
      const QString path = folder + u'/' + fromNativeBytes(QByteArrayView(name.data(), qsizetype(name.size())));
      if (found.isEmpty() && namedLikeInput(name) && same(path)) found = path;
    });
    if (!found.isEmpty()) return withPath(msg::sameAsInput(), found);
  }
  return std::nullopt;
}

QString temporaryName(const QString& fileName, long long pid, unsigned serial) {
  return fromNativeBytes(temporaryBytes(native(fileName), pid, serial));
}

void removeStaleTemporaries(const QString& folder) {
  const int fd = ::open(folder.isEmpty() ? "." : native(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  removeStaleTemporaries(fd);
  ::close(fd);
}

}  // namespace h7
