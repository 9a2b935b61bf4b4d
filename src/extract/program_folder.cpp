#include "extract/program_folder.h"

#include <cstring>
#include <unistd.h>

namespace h7 {

std::size_t programFolder(char* folder, std::size_t size) {
  const ssize_t n = ::readlink("/proc/self/exe", folder, size);
  const void* slash = n > 0 ? ::memrchr(folder, '/', std::size_t(n)) : nullptr;
  if (!slash) {
    std::memcpy(folder, ".", 1);
    return 1;
  }
  return std::size_t(static_cast<const char*>(slash) - folder);
}

}  // namespace h7
