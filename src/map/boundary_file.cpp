#include "map/boundary_file.h"

#include <cstring>
#include <gdal_priv.h>
#include <string>
#include <strings.h>

namespace h7map {

namespace {

bool endsWithIgnoringCase(const std::string& text, const char* end) {
  const std::size_t n = std::strlen(end);
  return text.size() >= n && strcasecmp(text.c_str() + text.size() - n, end) == 0;
}

// A Shapefile whose DBF names no encoding (no .cpg, language id 0) is read as CP932, the
// encoding of the published Japanese boundaries; a .cpg or language id is obeyed.
bool unmarkedShapefile(GDALDataset& ds, const char* layer) {
  if (!ds.GetDriver() || std::strcmp(ds.GetDriver()->GetDescription(), "ESRI Shapefile") != 0) return false;
  const CPLStringList files(ds.GetFileList());
  bool unmarked = false;
  for (int i = 0; i < files.size(); ++i) {
    const std::string file = files[i];
    if (*layer && strcasecmp(CPLGetBasename(file.c_str()), layer) != 0) continue;
    if (endsWithIgnoringCase(file, ".cpg")) return false;
    if (!endsWithIgnoringCase(file, ".dbf")) continue;
    VSILFILE* dbf = VSIFOpenL(file.c_str(), "rb");
    unsigned char head[30] = {};
    const bool read = dbf && VSIFReadL(head, 1, sizeof head, dbf) == sizeof head;
    if (dbf) VSIFCloseL(dbf);
    if (!read || head[29] != 0) return false;
    unmarked = true;
  }
  return unmarked;
}

}  // namespace

GDALDataset* openBoundaries(const h7map_boundaries& b) {
  std::string path = b.path;
  if (endsWithIgnoringCase(path, ".zip") && path.rfind("/vsi", 0) != 0) path = "/vsizip/" + path;
  constexpr unsigned flags = GDAL_OF_VECTOR | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR;
  GDALDataset* ds = GDALDataset::Open(path.c_str(), flags);
  if (!ds || !unmarkedShapefile(*ds, b.layer)) return ds;
  GDALClose(ds);
  const char* cp932[] = {"ENCODING=CP932", nullptr};
  return GDALDataset::Open(path.c_str(), flags, nullptr, cp932);
}

}  // namespace h7map
