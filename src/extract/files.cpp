#include "extract/files.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/command_line.h"
#include "core/groups.h"

namespace h7 {

namespace {

std::string native(const QString& path) { return toNativeBytes(path).toStdString(); }

// A missing file in an existing folder, or a missing folder on the way to it.
Failure missing(const QString& path) {
  struct stat st {};
  return ::stat(splitPath(native(path)).first.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? msg::fileNotFound()
                                                                                          : msg::pathNotFound();
}

}  // namespace

std::pair<std::string, std::string> splitPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

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
  const auto read = [&](char* into, std::size_t want) -> std::ptrdiff_t {
    for (;;) {
      const ssize_t n = size_ >= 0 ? ::pread(fd_, into, want, off_t(offset)) : ::read(fd_, into, want);
      if (n >= 0) return n;
      if (errno == EINTR) continue;
      lastError_ = errno;
      return -1;
    }
  };
  return size_ >= 0 ? read(buffer, size) : head_.readAt(offset, buffer, size, read);
}

void InputFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  head_.clear();
}

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
    const auto censusLike = [](const std::string& name) { return readCensusName(withoutCompressionSuffix(name)).has_value(); };
    if (censusLike(given) || censusLike(splitPath(target).second)) return withPath(msg::namedLikeInput(), output);
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
      if (found.isEmpty() && readCensusName(withoutCompressionSuffix(name)) && same(path)) found = path;
    });
    if (!found.isEmpty()) return withPath(msg::sameAsInput(), found);
  }
  return std::nullopt;
}

}  // namespace h7
