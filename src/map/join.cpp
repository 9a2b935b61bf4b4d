#include "map/join.h"

#include <cstdio>
#include <gdal_priv.h>
#include <memory>
#include <ogrsf_frmts.h>
#include <string>
#include <unordered_map>

#include "map/gdal_calls.h"

struct h7map_join {
  struct Entry {
    GIntBig fid;
    bool taken = false;
  };
  h7map::QuietGdal gdal;
  GDALDataset* boundaries = nullptr;
  OGRLayer* boundaryLayer = nullptr;
  std::unordered_map<std::string, Entry> index;  // key -> the first feature holding it
  long long withoutKey = 0;
  GDALDataset* out = nullptr;
  OGRLayer* layer = nullptr;
  OGRFeature* feature = nullptr;
  h7map_counts counts{};
  std::string text;  // a value's text with its terminating NUL

  ~h7map_join() { close(); }
  void close() {
    h7map::closeWriting(feature, out);
    if (boundaries) GDALClose(boundaries);
    boundaries = nullptr;
  }
};

namespace h7map {

namespace {

// Blanks (ASCII white space) around the text left out.
std::string trimmed(const char* text) {
  std::string t = text;
  const char* blanks = " \t\r\n\v\f";
  const std::size_t first = t.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  return t.substr(first, t.find_last_not_of(blanks) - first + 1);
}

// Every key of the boundary layer, with the feature that holds it first.
int indexKeys(h7map_join& j, int key, OGRFieldType type, h7map_failure* failure) {
  OGRFeatureDefn* defn = j.boundaryLayer->GetLayerDefn();
  // The key alone is read for the index, the geometry alone for the output.
  CPLStringList others, all;
  for (int i = 0; i < defn->GetFieldCount(); ++i) {
    all.AddString(defn->GetFieldDefn(i)->GetNameRef());
    if (i != key) others.AddString(defn->GetFieldDefn(i)->GetNameRef());
  }
  others.AddString("OGR_GEOMETRY");
  j.boundaryLayer->SetIgnoredFields(const_cast<const char**>(others.List()));
  CPLErrorReset();
  j.boundaryLayer->ResetReading();
  // A feature's key: the text trimmed, or the number with leading zeros; empty without one.
  auto keyOf = [&](const OGRFeature& f) -> std::string {
    if (!f.IsFieldSetAndNotNull(key)) return {};
    if (type == OFTString) return trimmed(f.GetFieldAsString(key));
    char digits[32];
    std::snprintf(digits, sizeof digits, "%011lld", static_cast<long long>(f.GetFieldAsInteger64(key)));
    return digits;
  };
  for (auto& f : *j.boundaryLayer) {
    std::string text = keyOf(*f);
    if (text.empty()) ++j.withoutKey;
    else if (!j.index.try_emplace(std::move(text), h7map_join::Entry{f->GetFID()}).second) ++j.counts.duplicates;
  }
  if (CPLGetLastErrorType() >= CE_Failure) return fail(failure, H7MAP_BOUNDARIES_NOT_READ);
  j.boundaryLayer->SetIgnoredFields(const_cast<const char**>(all.List()));
  return 1;
}

}  // namespace

h7map_join* joinOpen(const h7map_boundaries* b, h7map_failure* failure) {
  auto j = std::make_unique<h7map_join>();
  constexpr unsigned flags = GDAL_OF_VECTOR | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR;
  j->boundaries = GDALDataset::Open(b->path, flags);
  if (!j->boundaries) return fail(failure, H7MAP_BOUNDARIES_NOT_OPENED), nullptr;
  j->boundaryLayer = *b->layer ? j->boundaries->GetLayerByName(b->layer) : j->boundaries->GetLayer(0);
  if (!j->boundaryLayer) return fail(failure, H7MAP_NO_LAYER), nullptr;
  OGRFeatureDefn* defn = j->boundaryLayer->GetLayerDefn();
  const int key = defn->GetFieldIndex(b->key_field);
  if (key < 0) return fail(failure, H7MAP_NO_KEY_FIELD), nullptr;
  const OGRFieldType type = defn->GetFieldDefn(key)->GetType();
  if (type != OFTString && type != OFTInteger && type != OFTInteger64) return fail(failure, H7MAP_BAD_KEY_FIELD), nullptr;
  if (!indexKeys(*j, key, type, failure)) return nullptr;
  return j.release();
}

int joinCreate(h7map_join* j, const h7map_layer* l, h7map_failure* failure) {
  CPLErrorReset();
  j->out = createGeoPackage(l->path);
  if (!j->out) return fail(failure, H7MAP_NOT_WRITTEN);
  j->layer = j->out->CreateLayer(l->name, j->boundaryLayer->GetSpatialRef(), j->boundaryLayer->GetGeomType(), nullptr);
  if (!j->layer) return fail(failure, H7MAP_NOT_WRITTEN);
  for (std::size_t i = 0; i < l->count; ++i) {
    OGRFieldDefn column(l->columns[i], l->numeric[i] ? OFTReal : OFTString);
    if (j->layer->CreateField(&column) != OGRERR_NONE) return fail(failure, H7MAP_NOT_WRITTEN);
  }
  if (j->out->StartTransaction() != OGRERR_NONE) return fail(failure, H7MAP_NOT_WRITTEN);
  j->feature = OGRFeature::CreateFeature(j->layer->GetLayerDefn());
  return 1;
}

// One area: its boundary's geometry (none when no boundary holds its key) and its columns.
int joinAdd(h7map_join* j, const char* key, size_t keySize, const h7map_value* values, size_t count,
            h7map_failure* failure) {
  const auto found = j->index.find(std::string(key, keySize));
  OGRGeometry* geometry = nullptr;
  CPLErrorReset();
  if (found == j->index.end()) {
    ++j->counts.no_boundary;
  } else {
    ++j->counts.joined;
    found->second.taken = true;
    OGRFeatureUniquePtr boundary(j->boundaryLayer->GetFeature(found->second.fid));
    if (!boundary) return fail(failure, H7MAP_BOUNDARIES_NOT_READ);
    geometry = boundary->StealGeometry();
  }
  OGRFeature& f = *j->feature;
  f.SetFID(OGRNullFID);
  f.SetGeometryDirectly(geometry);
  for (int i = 0; i < f.GetFieldCount(); ++i) {
    const h7map_value* v = std::size_t(i) < count ? &values[i] : nullptr;
    if (!v || v->kind == H7MAP_NULL) {
      f.SetFieldNull(i);
    } else if (v->kind == H7MAP_NUMBER) {
      f.SetField(i, v->number);
    } else {
      j->text.assign(v->text, v->size);
      f.SetField(i, j->text.c_str());
    }
  }
  if (j->layer->CreateFeature(&f) != OGRERR_NONE) return fail(failure, H7MAP_NOT_WRITTEN);
  return 1;
}

int joinFinish(h7map_join* j, h7map_counts* counts, h7map_failure* failure) {
  if (!j->out) return fail(failure, H7MAP_NOT_WRITTEN);
  CPLErrorReset();
  if (j->out->CommitTransaction() != OGRERR_NONE) return fail(failure, H7MAP_NOT_WRITTEN);
  j->close();  // the spatial index is written here
  if (CPLGetLastErrorType() >= CE_Failure) return fail(failure, H7MAP_NOT_WRITTEN);
  for (const auto& entry : j->index) j->counts.no_data += entry.second.taken ? 0 : 1;
  j->counts.no_data += j->withoutKey;
  *counts = j->counts;
  return 1;
}

void joinClose(h7map_join* j) {
  if (!j) return;
  j->close();
  delete j;
}

}  // namespace h7map
