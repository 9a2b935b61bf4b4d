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

h7map_squares* squaresCreate(const char* path, h7map_failure* failure) {
  auto s = std::make_unique<h7map_squares>();
  CPLSetConfigOption("OGR_CURRENT_DATE", "1995-10-01T00:00:00.000Z");  // the same bytes every time
  s->ds = createGeoPackage(path);
  OGRSpatialReference jgd2011;
  if (s->ds && jgd2011.importFromEPSG(6668) == OGRERR_NONE) {
    jgd2011.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    s->layer = s->ds->CreateLayer("boundaries", &jgd2011, wkbPolygon, nullptr);
  }
  OGRFieldDefn key("KEY_CODE", OFTString);
  key.SetWidth(11);
  if (!s->layer || s->layer->CreateField(&key) != OGRERR_NONE || s->ds->StartTransaction() != OGRERR_NONE)
    return fail(failure, H7MAP_NOT_WRITTEN), nullptr;
  s->feature = OGRFeature::CreateFeature(s->layer->GetLayerDefn());
  return s.release();
}

int squaresAdd(h7map_squares* s, double west, double south, double side, const char* key, h7map_failure* failure) {
  OGRLinearRing ring;
  ring.addPoint(west, south);
  ring.addPoint(west + side, south);
  ring.addPoint(west + side, south + side);
  ring.addPoint(west, south + side);
  ring.closeRings();
  auto* polygon = new OGRPolygon;
  polygon->addRing(&ring);
  s->feature->SetFID(OGRNullFID);
  s->feature->SetGeometryDirectly(polygon);
  s->feature->SetField(0, key);
  return s->layer->CreateFeature(s->feature) == OGRERR_NONE || fail(failure, H7MAP_NOT_WRITTEN);
}

int squaresFinish(h7map_squares* s, h7map_failure* failure) {
  CPLErrorReset();
  const bool committed = s->ds->CommitTransaction() == OGRERR_NONE;
  s->close();
  return (committed && CPLGetLastErrorType() < CE_Failure) || fail(failure, H7MAP_NOT_WRITTEN);
}

void squaresClose(h7map_squares* s) { delete s; }

}  // namespace h7map
