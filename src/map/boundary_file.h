// The boundary file opened for reading: a .zip read inside (through GDAL's /vsizip/), a
// Shapefile whose DBF names no encoding read as CP932.
#pragma once

#include "map/h7map.h"

class GDALDataset;

namespace h7map {

GDALDataset* openBoundaries(const h7map_boundaries& boundaries);

}  // namespace h7map
