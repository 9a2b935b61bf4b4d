// h7extract --version: the version and the kernel in use, written alike by the program and
// by its start (h7extract_main.cpp), which links no Qt. H7_VERSION comes from the build.
#pragma once

#include <cstdio>

namespace h7::cli {

inline void printVersion(std::FILE* out, const char* kernel) {
  std::fprintf(out, "h7extract " H7_VERSION "\nkernel: %s\n", kernel);
  std::fflush(out);
}

}  // namespace h7::cli
