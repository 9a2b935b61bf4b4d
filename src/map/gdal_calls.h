// What the join and the squares share: GDAL set up once per object, failures filled in.
#pragma once

#include <cpl_error.h>

#include "map/h7map.h"

namespace h7map {

// GDAL's drivers registered, and its messages kept from stderr while the object lives:
// they reach the user in the failures only.
class QuietGdal {
 public:
  QuietGdal();
  ~QuietGdal();
  QuietGdal(const QuietGdal&) = delete;
  QuietGdal& operator=(const QuietGdal&) = delete;
};

// Fills the failure with the code and GDAL's last message; returns 0, the calls' "failed".
int fail(h7map_failure* failure, int code);

// Creates a GeoPackage at `path`, which must not exist: no rollback journal and no syncs,
// since the file is thrown away unless it is complete (the caller syncs it before use).
class GDALDataset* createGeoPackage(const char* path);
// Frees the feature that is filled for each write and closes the dataset written (GDAL writes
// what it holds, the spatial index of a GeoPackage too); both become null.
void closeWriting(class OGRFeature*& feature, GDALDataset*& dataset);

}  // namespace h7map
