#include "map/squares.h"

#include <atomic>
#include <cpl_vsi.h>
#include <gdal_priv.h>
#include <memory>
#include <ogrsf_frmts.h>
#include <string>
#include <unistd.h>

#include "map/gdal_calls.h"

namespace {

// A Shapefile's files in the order squares_file hands them out.
constexpr const char* kExtensions[] = {".shp", ".shx", ".dbf", ".prj", ".cpg"};
constexpr int kJapaneseLanguageId = 19;  // the DBF's code page mark for CP932

}  // namespace

struct h7map_squares {
  h7map::QuietGdal gdal;
  GDALDataset* ds = nullptr;
  OGRLayer* layer = nullptr;
  OGRFeature* feature = nullptr;
  std::string folder;  // the Shapefile's /vsimem/ folder; empty for a GeoPackage

  ~h7map_squares() {
    close();
    if (!folder.empty()) VSIRmdirRecursive(folder.c_str());
  }
  void close() { h7map::closeWriting(feature, ds); }
  std::string file(const char* extension) const { return folder + "/boundaries" + extension; }
};

namespace h7map {

namespace {

OGRPolygon* rectangle(const double* wsen) {
  OGRLinearRing ring;
  ring.addPoint(wsen[0], wsen[1]);
  ring.addPoint(wsen[2], wsen[1]);
  ring.addPoint(wsen[2], wsen[3]);
  ring.addPoint(wsen[0], wsen[3]);
  ring.closeRings();
  auto* polygon = new OGRPolygon;
  polygon->addRing(&ring);
  return polygon;
}

// A Shapefile in memory, its DBF in CP932: the language id says so (GDAL recodes the names and
// texts from it), and a .cpg too, for readers that look there only.
OGRLayer* createShapefile(h7map_squares* s, OGRSpatialReference& srs, OGRwkbGeometryType type) {
  static std::atomic<unsigned> serial{0};
  s->folder = "/vsimem/h7squares-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("ESRI Shapefile");
  if (!driver || VSIMkdir(s->folder.c_str(), 0755) != 0) return nullptr;
  s->ds = driver->Create(s->file(".shp").c_str(), 0, 0, 0, GDT_Unknown, nullptr);
  const std::string encoding = "ENCODING=LDID/" + std::to_string(kJapaneseLanguageId);
  const char* options[] = {encoding.c_str(), "DBF_DATE_LAST_UPDATE=1995-10-01", nullptr};
  if (!s->ds) return nullptr;
  OGRLayer* layer = s->ds->CreateLayer("boundaries", &srs, type, const_cast<char**>(options));
  VSILFILE* cpg = VSIFOpenL(s->file(".cpg").c_str(), "wb");
  const bool written = cpg && VSIFWriteL("CP932", 5, 1, cpg) == 1;
  if (cpg) VSIFCloseL(cpg);
  return written ? layer : nullptr;
}

}  // namespace

h7map_squares* squaresCreate(const h7map_sample* sample, h7map_failure* failure) {
  auto s = std::make_unique<h7map_squares>();
  CPLSetConfigOption("OGR_CURRENT_DATE", "1995-10-01T00:00:00.000Z");  // the same bytes every time
  OGRSpatialReference srs;
  const OGRwkbGeometryType type = sample->multi ? wkbMultiPolygon : wkbPolygon;
  if (srs.importFromEPSG(sample->shapefile ? 4612 : 6668) == OGRERR_NONE) {
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    if (sample->shapefile) {
      s->layer = createShapefile(s.get(), srs, type);
    } else if ((s->ds = createGeoPackage(sample->path))) {
      s->layer = s->ds->CreateLayer("boundaries", &srs, type, nullptr);
    }
  }
  OGRFieldDefn key("KEY_CODE", OFTString), name("地域名", OFTString), area("AREA", OFTReal);
  key.SetWidth(11);
  for (OGRFieldDefn* field : {&key, &name, &area})
    if (!s->layer || s->layer->CreateField(field) != OGRERR_NONE) return fail(failure, H7MAP_NOT_WRITTEN), nullptr;
  if (!sample->shapefile && s->ds->StartTransaction() != OGRERR_NONE) return fail(failure, H7MAP_NOT_WRITTEN), nullptr;
  s->feature = OGRFeature::CreateFeature(s->layer->GetLayerDefn());
  return s.release();
}

int squaresAdd(h7map_squares* s, const double* rectangles, size_t count, const char* key, const char* name,
               h7map_failure* failure) {
  std::unique_ptr<OGRGeometry> shape;
  if (count == 1) {
    shape.reset(rectangle(rectangles));
  } else {
    auto* parts = new OGRMultiPolygon;
    for (size_t i = 0; i < count; ++i) parts->addGeometryDirectly(rectangle(rectangles + 4 * i));
    shape.reset(parts);
  }
  double area = 0;
  for (size_t i = 0; i < count; ++i) {
    const double* r = rectangles + 4 * i;
    area += (r[2] - r[0]) * (r[3] - r[1]);
  }
  s->feature->SetFID(OGRNullFID);
  s->feature->SetGeometryDirectly(shape.release());
  s->feature->SetField(0, key);
  s->feature->SetField(1, name);
  s->feature->SetField(2, area);
  return s->layer->CreateFeature(s->feature) == OGRERR_NONE || fail(failure, H7MAP_NOT_WRITTEN);
}

int squaresFinish(h7map_squares* s, h7map_failure* failure) {
  CPLErrorReset();
  const bool committed = !s->folder.empty() || s->ds->CommitTransaction() == OGRERR_NONE;
  s->close();
  return (committed && CPLGetLastErrorType() < CE_Failure) || fail(failure, H7MAP_NOT_WRITTEN);
}

int squaresFile(h7map_squares* s, size_t index, const char** extension, const void** bytes, size_t* size) {
  if (s->folder.empty() || s->ds || index >= std::size(kExtensions)) return 0;
  vsi_l_offset length = 0;
  const GByte* buffer = VSIGetMemFileBuffer(s->file(kExtensions[index]).c_str(), &length, FALSE);
  if (!buffer) return 0;
  *extension = kExtensions[index];
  *bytes = buffer;
  *size = size_t(length);
  return 1;
}

void squaresClose(h7map_squares* s) { delete s; }

}  // namespace h7map
