#include "map/squares.h"

#include <gdal_priv.h>
#include <memory>
#include <ogrsf_frmts.h>

#include "map/gdal_calls.h"

struct h7map_squares {
  h7map::QuietGdal gdal;
  GDALDataset* ds = nullptr;
  OGRLayer* layer = nullptr;
  OGRFeature* feature = nullptr;

  ~h7map_squares() { close(); }
  void close() { h7map::closeWriting(feature, ds); }
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

}  // namespace

h7map_squares* squaresCreate(const h7map_sample* sample, h7map_failure* failure) {
  auto s = std::make_unique<h7map_squares>();
  CPLSetConfigOption("OGR_CURRENT_DATE", "1995-10-01T00:00:00.000Z");  // the same bytes every time
  s->ds = createGeoPackage(sample->path);
  OGRSpatialReference jgd2011;
  if (s->ds && jgd2011.importFromEPSG(6668) == OGRERR_NONE) {
    jgd2011.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    s->layer = s->ds->CreateLayer("boundaries", &jgd2011, sample->multi ? wkbMultiPolygon : wkbPolygon, nullptr);
  }
  OGRFieldDefn key("KEY_CODE", OFTString), name("地域名", OFTString), area("AREA", OFTReal);
  key.SetWidth(11);
  for (OGRFieldDefn* field : {&key, &name, &area})
    if (!s->layer || s->layer->CreateField(field) != OGRERR_NONE) return fail(failure, H7MAP_NOT_WRITTEN), nullptr;
  if (s->ds->StartTransaction() != OGRERR_NONE) return fail(failure, H7MAP_NOT_WRITTEN), nullptr;
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
  const bool committed = s->ds->CommitTransaction() == OGRERR_NONE;
  s->close();
  return (committed && CPLGetLastErrorType() < CE_Failure) || fail(failure, H7MAP_NOT_WRITTEN);
}

int squaresFile(h7map_squares*, size_t, const char**, const void**, size_t*) { return 0; }

void squaresClose(h7map_squares* s) { delete s; }

}  // namespace h7map
