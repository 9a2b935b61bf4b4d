// The temporaries that SIGINT, SIGTERM and SIGHUP remove before the program ends.
#include "extract/signal_cleanup.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <mutex>
#include <unistd.h>

namespace h7 {

namespace {

// The temporaries to remove when a signal ends the program: a folder's descriptor (-1: the
// place is free, -2: being filled), the name in it and whether SQLite's files beside it go
// too. Read by the handler, so plain bytes and lock-free atomics only.
struct PendingTemporary {
  std::atomic<int> folder{-1};
  char name[80] = {};
  bool database = false;
};
static_assert(std::atomic<int>::is_always_lock_free);
PendingTemporary pendingTemporaries[8];

// The stack is realigned on entry: an emulator (qemu-user) may hand a handler a frame that
// aligned vector stores of the compiled code would fault on.
#if defined(__x86_64__) || defined(__i386__)
#define H7_REALIGNED_STACK __attribute__((force_align_arg_pointer))
#else
#define H7_REALIGNED_STACK
#endif
extern "C" H7_REALIGNED_STACK void removeTemporariesAndEnd(int signal) {
  const int saved = errno;
  for (PendingTemporary& p : pendingTemporaries)
    if (const int folder = p.folder.load(); folder >= 0) {
      ::unlinkat(folder, p.name, 0);
      if (p.database) removeCompanions(folder, p.name);
    }
  ::signal(signal, SIG_DFL);
  ::raise(signal);  // delivered when the handler returns: the program ends as the signal would have it
  errno = saved;
}

}  // namespace

void removeCompanions(int folder, const char* name) {
  char path[sizeof PendingTemporary::name + 16];
  std::size_t n = 0;
  while (name[n] && n < sizeof PendingTemporary::name) path[n] = name[n], ++n;
  for (const char* suffix : {"-journal", "-wal", "-shm"}) {
    std::size_t at = n;
    for (const char* c = suffix; *c; ++c) path[at++] = *c;
    path[at] = '\0';
    ::unlinkat(folder, path, 0);
  }
}

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

int addPendingTemporary(int folder, const std::string& name, bool database) {
  if (name.size() >= sizeof PendingTemporary::name) return -1;
  for (int i = 0; i < int(std::size(pendingTemporaries)); ++i) {
    int free = -1;
    if (!pendingTemporaries[i].folder.compare_exchange_strong(free, -2)) continue;
    std::memcpy(pendingTemporaries[i].name, name.c_str(), name.size() + 1);
    pendingTemporaries[i].database = database;
    pendingTemporaries[i].folder.store(folder);
    return i;
  }
  return -1;
}

void dropPendingTemporary(int& place) {
  if (place >= 0) pendingTemporaries[place].folder.store(-1);
  place = -1;
}

}  // namespace h7
