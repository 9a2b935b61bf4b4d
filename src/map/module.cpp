// The module's one exported symbol: the table of its functions.
#include <cstdio>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include "map/gdal_calls.h"
#include "map/join.h"
#include "map/squares.h"

namespace h7map {

QuietGdal::QuietGdal() {
  GDALAllRegister();
  CPLPushErrorHandler(CPLQuietErrorHandler);
  CPLErrorReset();
}

QuietGdal::~QuietGdal() { CPLPopErrorHandler(); }

int fail(h7map_failure* failure, int code) {
  failure->code = code;
  std::snprintf(failure->detail, sizeof failure->detail, "%s", CPLGetLastErrorMsg());
  return 0;
}

GDALDataset* createGeoPackage(const char* path) {
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
  if (!driver) return nullptr;
  CPLSetThreadLocalConfigOption("OGR_SQLITE_JOURNAL", "OFF");
  CPLSetThreadLocalConfigOption("OGR_SQLITE_SYNCHRONOUS", "OFF");
  GDALDataset* created = driver->Create(path, 0, 0, 0, GDT_Unknown, nullptr);
  CPLSetThreadLocalConfigOption("OGR_SQLITE_JOURNAL", nullptr);
  CPLSetThreadLocalConfigOption("OGR_SQLITE_SYNCHRONOUS", nullptr);
  return created;
}

void closeWriting(OGRFeature*& feature, GDALDataset*& dataset) {
  if (feature) OGRFeature::DestroyFeature(feature);
  feature = nullptr;
  if (dataset) GDALClose(dataset);
  dataset = nullptr;
}

}  // namespace h7map

extern "C" __attribute__((visibility("default"))) const h7map_api* h7map_entry(void) {
  static const h7map_api api = {
      H7MAP_VERSION,
      h7map::joinOpen,      h7map::joinFieldCount, h7map::joinFieldName, h7map::joinCreate,   h7map::joinAdd,
      h7map::joinFinish,    h7map::joinUnmatched,  h7map::joinClose,     h7map::squaresCreate, h7map::squaresAdd,
      h7map::squaresFinish, h7map::squaresFile,    h7map::squaresClose,
  };
  return &api;
}
