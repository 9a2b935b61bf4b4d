// h7extract: the extraction run for scripts and batch work. This start links neither Qt nor
// the C++ library, whose loading takes most of a run's start-up: it answers a bare --version
// itself and loads the program (libh7extract.so, beside it) for every other command line.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include "cli/program_entry.h"
#include "cli/version.h"
#include "extract/kernels/kernels.h"
#include "extract/program_folder.h"

int main(int argc, char** argv) {
  // A standard descriptor the caller closed (">&-") is held by /dev/null opened for reading, so
  // that no file of the run takes its number and "--output -" fails as it should.
  for (int fd = 0; fd <= 2; ++fd)
    if (::fcntl(fd, F_GETFD) == -1)
      if (const int null = ::open("/dev/null", O_RDONLY); null >= 0 && null != fd) ::dup2(null, fd), ::close(null);
  // Without H7_KERNEL there is no choice to refuse: the kernel is the fastest one.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0 && !std::getenv("H7_KERNEL")) {
    h7::cli::printVersion(stdout, h7::kernelName(h7::fastestKernel()));
    return 0;
  }
  char path[PATH_MAX + sizeof "/" H7EXTRACT_LIBRARY];  // the program, in the start's own folder
  std::memcpy(path + h7::programFolder(path, PATH_MAX), "/" H7EXTRACT_LIBRARY, sizeof "/" H7EXTRACT_LIBRARY);
  void* program = ::dlopen(path, RTLD_LAZY | RTLD_LOCAL);  // bound as it is called, as a program's libraries are
  auto* run = program ? reinterpret_cast<decltype(&h7extract_run)>(::dlsym(program, H7EXTRACT_ENTRY)) : nullptr;
  if (!run) {  // as the loader says it of a missing library, with its exit status
    std::fprintf(stderr, "h7extract: error while loading shared libraries: %s\n", ::dlerror());
    return 127;
  }
  return run(argc, argv);
}
