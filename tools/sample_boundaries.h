// h7sample's demonstration boundaries: a square per record written, keyed by KEY_CODE and named
// in 地域名, made by the map module. A GeoPackage (JGD2011 longitude and latitude, EPSG:6668) is
// made as the temporary of the one writer (extract/files.h); a Shapefile (JGD2000, EPSG:4612,
// its DBF in CP932) is made in memory and its files written each through the one writer.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "core/messages.h"
#include "extract/files.h"
#include "map/h7map.h"

struct BoundaryOptions {
  bool shapefile = false;
  int split = 0;  // 0-100: the share of areas stored as two features with the same key
  std::uint64_t seed = 1;
};

class SampleBoundaries {
 public:
  // Starts the boundaries that are to replace DIR/boundaries.gpkg, or DIR/boundaries.shp and
  // its companions.
  static h7::Result<std::unique_ptr<SampleBoundaries>> create(const QString& dir, const BoundaryOptions& options);
  ~SampleBoundaries();
  // The files made: the GeoPackage, or the Shapefile's files (.shp first).
  static QStringList paths(const QString& dir, bool shapefile);
  // The square of record `index` of `records` of a prefecture's file, with its key (11 characters,
  // fewer for a record cut short inside its code): each prefecture fills its own block of a
  // grid, records in order, row by row. A split area: a part of the square, then the rest of
  // it with an island in the free corner of its grid cell, so that no two areas overlap.
  std::optional<h7::Failure> add(int prefecture, std::int64_t index, std::int64_t records, std::string_view key);
  // Completes the file(s).
  std::optional<h7::Failure> close();
  // The first file that exists and holds other bytes (empty: none); whether every file holds
  // the same bytes already.
  QString otherBytes() const;
  bool sameAsThere() const;
  // Replaces the files that do not hold the same bytes, all written before any is moved.
  std::optional<h7::Failure> commit();

 private:
  h7::Failure failed(const h7map_failure& failure) const;
  bool sameAs(const QString& path, std::size_t file) const;  // made file `file` against `path`
  QStringList paths_;
  BoundaryOptions options_;
  h7::OutputFile file_;  // the GeoPackage's
  std::vector<std::pair<const void*, std::size_t>> made_;  // the Shapefile's files, in memory
  const h7map_api* api_ = nullptr;
  h7map_squares* squares_ = nullptr;
};
