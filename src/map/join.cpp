#include "map/join.h"

#include <algorithm>
#include <cstdio>
#include <gdal_priv.h>
#include <memory>
#include <ogrsf_frmts.h>
#include <string>
#include <unordered_map>
#include <vector>

#include "map/boundary_file.h"
#include "map/gdal_calls.h"

struct h7map_join {
  struct Area {
    std::string key;
    std::vector<GIntBig> features;  // in the layer's order
    bool taken = false;
  };
  h7map::QuietGdal gdal;
  GDALDataset* boundaries = nullptr;
  OGRLayer* boundaryLayer = nullptr;
  std::vector<Area> areas;                         // in the order of their first feature
  std::unordered_map<std::string, size_t> index;  // key -> its area
  long long withoutKey = 0;
  std::vector<int> copied;  // the boundary fields copied, after the columns
  std::vector<std::string> copiedNames;
  void (*warn)(void*, int, const char*) = nullptr;
  void* context = nullptr;
  GDALDataset* out = nullptr;
  OGRLayer* layer = nullptr;
  OGRFeature* feature = nullptr;
  size_t columns = 0;
  h7map_counts counts{};
  std::string text;  // a value's text with its terminating NUL

  ~h7map_join() { close(); }
  void close() {
    h7map::closeWriting(feature, out);
    if (boundaries) GDALClose(boundaries);
    boundaries = nullptr;
  }
  void warning(int what, const char* about) const {
    if (warn) warn(context, what, about);
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

bool polygonal(OGRwkbGeometryType type) {
  const OGRwkbGeometryType flat = wkbFlatten(type);
  return OGR_GT_IsSubClassOf(flat, wkbCurvePolygon) || OGR_GT_IsSubClassOf(flat, wkbMultiSurface);
}

// Every key of the boundary layer with its features; in a layer that does not declare its
// geometry type, each feature's shape checked to be an area.
int indexKeys(h7map_join& j, int key, OGRFieldType type, h7map_failure* failure) {
  OGRFeatureDefn* defn = j.boundaryLayer->GetLayerDefn();
  const bool checkShapes = !polygonal(j.boundaryLayer->GetGeomType());
  // The key alone is read for the index (and the shape where it is checked); the copied
  // fields and the shape for the output.
  CPLStringList others, output;
  for (int i = 0; i < defn->GetFieldCount(); ++i) {
    const char* name = defn->GetFieldDefn(i)->GetNameRef();
    if (i != key) others.AddString(name);
    if (std::find(j.copied.begin(), j.copied.end(), i) == j.copied.end()) output.AddString(name);
  }
  if (!checkShapes) others.AddString("OGR_GEOMETRY");
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
    if (const OGRGeometry* shape = f->GetGeometryRef(); checkShapes && shape && !polygonal(shape->getGeometryType())) {
      std::snprintf(failure->detail, sizeof failure->detail, "%s", OGRGeometryTypeToName(shape->getGeometryType()));
      return failure->code = H7MAP_NOT_POLYGONS, 0;
    }
    std::string text = keyOf(*f);
    if (text.empty()) {
      ++j.withoutKey;
      continue;
    }
    const auto [at, added] = j.index.try_emplace(text, j.areas.size());
    if (added) j.areas.push_back({std::move(text), {}});
    j.areas[at->second].features.push_back(f->GetFID());
  }
  if (CPLGetLastErrorType() >= CE_Failure) return fail(failure, H7MAP_BOUNDARIES_NOT_READ);
  j.boundaryLayer->SetIgnoredFields(const_cast<const char**>(output.List()));
  return 1;
}

// The fields to copy: those named, or all but the key.
int chooseFields(h7map_join& j, const h7map_boundaries& b, int key, h7map_failure* failure) {
  OGRFeatureDefn* defn = j.boundaryLayer->GetLayerDefn();
  for (int i = 0; b.all_fields && i < defn->GetFieldCount(); ++i)
    if (i != key) j.copied.push_back(i);
  for (size_t n = 0; !b.all_fields && n < b.field_count; ++n) {
    const int i = defn->GetFieldIndex(b.fields[n]);
    if (i < 0) {
      std::snprintf(failure->detail, sizeof failure->detail, "%s", b.fields[n]);
      return failure->code = H7MAP_NO_FIELD, 0;
    }
    j.copied.push_back(i);
  }
  for (int i : j.copied) j.copiedNames.emplace_back(defn->GetFieldDefn(i)->GetNameRef());
  return 1;
}

// The area's shape: its feature's, or its features' united (collected as they are, with a
// warning, where the union fails), as a two-dimensional multipolygon; null without any.
// False when a feature cannot be read.
bool shapeOf(h7map_join& j, const h7map_join::Area& area, OGRFeatureUniquePtr& first, OGRGeometry*& shape) {
  std::vector<std::unique_ptr<OGRGeometry>> shapes;
  for (GIntBig fid : area.features) {
    OGRFeatureUniquePtr f(j.boundaryLayer->GetFeature(fid));
    if (!f) return false;
    if (OGRGeometry* g = f->StealGeometry()) shapes.emplace_back(OGRGeometryFactory::forceToMultiPolygon(g));
    if (!first) first = std::move(f);
  }
  if (area.features.size() > 1) {
    ++j.counts.merged_areas;
    j.counts.merged_features += static_cast<long long>(area.features.size());
  }
  shape = nullptr;
  if (shapes.size() == 1) {
    shape = shapes.front().release();
  } else if (shapes.size() > 1) {
    OGRMultiPolygon parts;
    for (const auto& s : shapes)
      if (const auto* m = dynamic_cast<const OGRMultiPolygon*>(s.get()))
        for (const OGRPolygon* p : *m) parts.addGeometry(p);
    if (!(shape = parts.UnionCascaded()) || !polygonal(shape->getGeometryType())) {
      delete shape;
      shape = parts.clone();
      j.warning(H7MAP_PARTS_NOT_UNITED, area.key.c_str());
      CPLErrorReset();
    }
    shape = OGRGeometryFactory::forceToMultiPolygon(shape);
  }
  if (shape) shape->flattenTo2D();
  return true;
}

}  // namespace

h7map_join* joinOpen(const h7map_boundaries* b, h7map_failure* failure) {
  auto j = std::make_unique<h7map_join>();
  j->warn = b->warn;
  j->context = b->context;
  j->boundaries = openBoundaries(*b);
  if (!j->boundaries) return fail(failure, H7MAP_BOUNDARIES_NOT_OPENED), nullptr;
  j->boundaryLayer = *b->layer ? j->boundaries->GetLayerByName(b->layer) : j->boundaries->GetLayer(0);
  if (!j->boundaryLayer) return fail(failure, H7MAP_NO_LAYER), nullptr;
  const OGRwkbGeometryType shapes = wkbFlatten(j->boundaryLayer->GetGeomType());
  if (!polygonal(shapes) && shapes != wkbUnknown && shapes != wkbGeometryCollection) {
    std::snprintf(failure->detail, sizeof failure->detail, "%s", OGRGeometryTypeToName(shapes));
    return failure->code = H7MAP_NOT_POLYGONS, nullptr;
  }
  OGRFeatureDefn* defn = j->boundaryLayer->GetLayerDefn();
  const int key = defn->GetFieldIndex(b->key_field);
  if (key < 0) return fail(failure, H7MAP_NO_KEY_FIELD), nullptr;
  const OGRFieldType type = defn->GetFieldDefn(key)->GetType();
  if (type != OFTString && type != OFTInteger && type != OFTInteger64) return fail(failure, H7MAP_BAD_KEY_FIELD), nullptr;
  if (!chooseFields(*j, *b, key, failure) || !indexKeys(*j, key, type, failure)) return nullptr;
  if (!j->boundaryLayer->GetSpatialRef()) j->warning(H7MAP_NO_COORDINATE_SYSTEM, "");
  return j.release();
}

size_t joinFieldCount(h7map_join* j) { return j->copiedNames.size(); }
const char* joinFieldName(h7map_join* j, size_t index) { return j->copiedNames[index].c_str(); }

int joinCreate(h7map_join* j, const h7map_layer* l, h7map_failure* failure) {
  CPLErrorReset();
  j->out = createGeoPackage(l->path);
  if (!j->out) return fail(failure, H7MAP_NOT_WRITTEN);
  j->layer = j->out->CreateLayer(l->name, j->boundaryLayer->GetSpatialRef(), wkbMultiPolygon, nullptr);
  if (!j->layer) return fail(failure, H7MAP_NOT_WRITTEN);
  for (std::size_t i = 0; i < l->count; ++i) {
    OGRFieldDefn column(l->columns[i], l->numeric[i] ? OFTReal : OFTString);
    if (j->layer->CreateField(&column) != OGRERR_NONE) return fail(failure, H7MAP_NOT_WRITTEN);
  }
  for (int i : j->copied)
    if (j->layer->CreateField(j->boundaryLayer->GetLayerDefn()->GetFieldDefn(i)) != OGRERR_NONE)
      return fail(failure, H7MAP_NOT_WRITTEN);
  j->columns = l->count;
  if (j->out->StartTransaction() != OGRERR_NONE) return fail(failure, H7MAP_NOT_WRITTEN);
  j->feature = OGRFeature::CreateFeature(j->layer->GetLayerDefn());
  return 1;
}

// One area: its boundary's shape (none when no boundary holds its key), its columns, then
// the copied fields of its first boundary feature.
int joinAdd(h7map_join* j, const char* key, size_t keySize, const h7map_value* values, size_t count, int* joined,
            h7map_failure* failure) {
  const auto found = keySize == 0 ? j->index.end() : j->index.find(std::string(key, keySize));
  OGRFeatureUniquePtr first;
  OGRGeometry* shape = nullptr;
  CPLErrorReset();
  *joined = found != j->index.end();
  if (!*joined) {
    ++j->counts.no_boundary;
  } else {
    ++j->counts.joined;
    h7map_join::Area& area = j->areas[found->second];
    area.taken = true;
    if (!shapeOf(*j, area, first, shape)) return fail(failure, H7MAP_BOUNDARIES_NOT_READ);
  }
  OGRFeature& f = *j->feature;
  f.SetFID(OGRNullFID);
  f.SetGeometryDirectly(shape);
  for (std::size_t i = 0; i < j->columns; ++i) {
    const h7map_value* v = i < count ? &values[i] : nullptr;
    if (!v || v->kind == H7MAP_NULL) {
      f.SetFieldNull(int(i));
    } else if (v->kind == H7MAP_NUMBER) {
      f.SetField(int(i), v->number);
    } else {
      j->text.assign(v->text, v->size);
      f.SetField(int(i), j->text.c_str());
    }
  }
  for (std::size_t n = 0; n < j->copied.size(); ++n) {
    const int to = int(j->columns + n), from = j->copied[n];
    if (first && first->IsFieldSetAndNotNull(from)) f.SetField(to, first->GetRawFieldRef(from));
    else f.SetFieldNull(to);
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
  for (const auto& area : j->areas) j->counts.no_data += area.taken ? 0 : 1;
  j->counts.no_data += j->withoutKey;
  *counts = j->counts;
  return 1;
}

void joinUnmatched(h7map_join* j, int (*each)(void* context, const char* key, size_t size), void* context) {
  for (const auto& area : j->areas)
    if (!area.taken && !each(context, area.key.data(), area.key.size())) return;
}

void joinClose(h7map_join* j) {
  if (!j) return;
  j->close();
  delete j;
}

}  // namespace h7map
