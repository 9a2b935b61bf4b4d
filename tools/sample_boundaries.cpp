#include "sample_boundaries.h"

#include <QFile>
#include <cmath>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>
#include <string>

namespace {

class GeoPackageBoundaries final : public SampleBoundaries {
 public:
  GeoPackageBoundaries() {
    GDALAllRegister();
    CPLPushErrorHandler(CPLQuietErrorHandler);  // GDAL's words go into `why`
    CPLSetConfigOption("OGR_CURRENT_DATE", "1995-10-01T00:00:00.000Z");  // the same bytes every time
  }
  ~GeoPackageBoundaries() override {
    if (feature_) OGRFeature::DestroyFeature(feature_);
    if (ds_) GDALClose(ds_);
    CPLPopErrorHandler();
  }

  bool open(const QString& path, QString* why) {
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    QFile::remove(path);
    ds_ = driver ? driver->Create(QFile::encodeName(path).constData(), 0, 0, 0, GDT_Unknown, nullptr) : nullptr;
    OGRSpatialReference jgd2011;
    if (ds_ && jgd2011.importFromEPSG(6668) == OGRERR_NONE) {
      jgd2011.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
      layer_ = ds_->CreateLayer("boundaries", &jgd2011, wkbPolygon, nullptr);
    }
    OGRFieldDefn key("KEY_CODE", OFTString);
    key.SetWidth(11);
    const bool ok = layer_ && layer_->CreateField(&key) == OGRERR_NONE && ds_->StartTransaction() == OGRERR_NONE;
    if (ok) feature_ = OGRFeature::CreateFeature(layer_->GetLayerDefn());
    return ok || fail(path, why);
  }

  bool add(int prefecture, std::int64_t index, std::int64_t records, std::string_view key, QString* why) override {
    // Prefectures side by side in blocks of 1.6 degrees, ten to a row, from 128E 30N.
    const std::int64_t side = std::max<std::int64_t>(1, std::int64_t(std::ceil(std::sqrt(double(records)))));
    const double cell = 1.6 / double(side), square = cell * 0.9;
    const double x = 128.0 + 2.0 * ((prefecture - 1) % 10) + cell * double(index % side);
    const double y = 30.0 + 2.0 * ((prefecture - 1) / 10) + 1.6 - cell * double(index / side + 1);
    OGRLinearRing ring;
    ring.addPoint(x, y);
    ring.addPoint(x + square, y);
    ring.addPoint(x + square, y + square);
    ring.addPoint(x, y + square);
    ring.closeRings();
    auto* polygon = new OGRPolygon;
    polygon->addRing(&ring);
    feature_->SetFID(OGRNullFID);
    feature_->SetGeometryDirectly(polygon);
    feature_->SetField(0, std::string(key).c_str());
    return layer_->CreateFeature(feature_) == OGRERR_NONE || fail(QString::fromUtf8(ds_->GetDescription()), why);
  }

  bool close(QString* why) override {
    const QString path = QString::fromUtf8(ds_->GetDescription());
    CPLErrorReset();
    bool ok = ds_->CommitTransaction() == OGRERR_NONE;
    OGRFeature::DestroyFeature(feature_);
    feature_ = nullptr;
    GDALClose(ds_);
    ds_ = nullptr;
    ok = ok && CPLGetLastErrorType() < CE_Failure;
    return ok || fail(path, why);
  }

 private:
  static bool fail(const QString& path, QString* why) {
    *why = path + QStringLiteral(": ") + QString::fromUtf8(CPLGetLastErrorMsg());
    return false;
  }
  GDALDataset* ds_ = nullptr;
  OGRLayer* layer_ = nullptr;
  OGRFeature* feature_ = nullptr;
};

}  // namespace

std::unique_ptr<SampleBoundaries> SampleBoundaries::create(const QString& path, QString* why) {
  auto boundaries = std::make_unique<GeoPackageBoundaries>();
  if (!boundaries->open(path, why)) return nullptr;
  return boundaries;
}
