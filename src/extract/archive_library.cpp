#include "extract/archive_library.h"

#include <dlfcn.h>

namespace h7 {

namespace {

struct Loaded {
  ArchiveCalls calls;
  bool ok = false;
  QString why;
};

Loaded load() {
  Loaded l;
  void* handle = ::dlopen("libarchive.so.13", RTLD_NOW | RTLD_LOCAL);  // never closed: kept for the process
  if (!handle) {
    l.why = QString::fromLocal8Bit(::dlerror());
    return l;
  }
#define H7_ARCHIVE_LOAD(name)                                                        \
  l.calls.name = reinterpret_cast<decltype(l.calls.name)>(::dlsym(handle, #name));   \
  if (!l.calls.name) {                                                               \
    l.why = QStringLiteral("libarchive.so.13: " #name);                              \
    return l;                                                                        \
  }
  H7_ARCHIVE_CALLS(H7_ARCHIVE_LOAD)
#undef H7_ARCHIVE_LOAD
  l.ok = true;
  return l;
}

}  // namespace

const ArchiveCalls* archiveLibrary(QString* why) {
  static const Loaded loaded = load();
  if (!loaded.ok && why) *why = loaded.why;
  return loaded.ok ? &loaded.calls : nullptr;
}

}  // namespace h7
