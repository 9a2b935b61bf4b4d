#include "extract/map_module.h"

#include <climits>
#include <dlfcn.h>
#include <string>
#include <sys/stat.h>

#include "core/command_line.h"
#include "extract/program_folder.h"

namespace h7 {

namespace {

MapModule load() {
  char bytes[PATH_MAX];
  const std::string folder(bytes, programFolder(bytes, sizeof bytes));
  const std::string places[] = {folder + "/" H7MAP_FILE_NAME, folder + "/../lib/h7select/" H7MAP_FILE_NAME};
  MapModule module;
  module.path = fromNativeBytes(places[0]);
  for (const std::string& place : places) {
    struct stat st {};
    if (::stat(place.c_str(), &st) != 0) continue;
    module.path = fromNativeBytes(place);
    void* handle = ::dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);  // never closed: GDAL stays for the process
    auto* entry = handle ? reinterpret_cast<h7map_entry_function>(::dlsym(handle, H7MAP_ENTRY)) : nullptr;
    const h7map_api* api = entry ? entry() : nullptr;
    if (api && api->version == H7MAP_VERSION) {
      module.api = api;
    } else if (api) {
      module.why = QStringLiteral("version %1, not %2").arg(api->version).arg(H7MAP_VERSION);
    } else {
      const char* said = ::dlerror();
      module.why = said ? QString::fromLocal8Bit(said) : QStringLiteral(H7MAP_ENTRY);
    }
    return module;
  }
  return module;
}

}  // namespace

const MapModule& mapModule() {
  static const MapModule module = load();
  return module;
}

Failure mapModuleFailure(const MapModule& module) {
  const Failure why = module.why.isEmpty() ? msg::mapModuleMissing() : msg::mapModuleNotLoaded(module.why);
  return rejected(withPath(why, module.path));
}

}  // namespace h7
