#include "core/folders.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include "core/command_line.h"

namespace h7 {

namespace {

int readNames(DIR* dir, const std::function<void(std::string_view name)>& f) {
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) f(entry->d_name);
    errno = 0;
  }
  const int e = errno;
  ::closedir(dir);
  return e;
}

}  // namespace

int forEachName(const QString& folder, const std::function<void(std::string_view name)>& f) {
  DIR* dir = ::opendir(folder.isEmpty() ? "." : toNativeBytes(folder).constData());
  return dir ? readNames(dir, f) : errno;
}

int forEachNameAt(int folder, const std::function<void(std::string_view name)>& f) {
  const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = listing < 0 ? nullptr : ::fdopendir(listing);
  if (dir) return readNames(dir, f);
  const int e = errno;
  if (listing >= 0) ::close(listing);
  return e;
}

}  // namespace h7
