// The map module (libh7map.so, src/map/): the one place that uses GDAL, loaded on first use
// only, so that a run without a map maps no GDAL library. It is looked for beside the
// program (the build's bin/, an installed lib/h7select/), then in ../lib/h7select/ from it
// (a program installed in bin/).
#pragma once

#include <QString>

#include "core/messages.h"
#include "map/h7map.h"

namespace h7 {

struct MapModule {
  const h7map_api* api = nullptr;  // null when it could not be loaded
  QString path;                    // the file loaded, or the first looked for
  QString why;                     // the loader's words when it is there but not loadable
};

// Loaded once, on the first call.
const MapModule& mapModule();
// Why the module is not there to use, for h7extract (exit 2), naming its path.
Failure mapModuleFailure(const MapModule& module);

}  // namespace h7
