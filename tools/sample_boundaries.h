// h7sample's demonstration boundaries: a square per record written, in JGD2011 longitude and
// latitude (EPSG:6668), keyed by KEY_CODE, in one GeoPackage layer made by the map module as
// the temporary of the one writer (extract/files.h).
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <string_view>

#include "extract/files.h"
#include "map/h7map.h"

class SampleBoundaries {
 public:
  // Starts the GeoPackage that is to replace `path`; null, with the reason in `why`, on failure.
  static std::unique_ptr<SampleBoundaries> create(const QString& path, QString* why);
  ~SampleBoundaries();
  // The square of record `index` of `records` of a prefecture's file, with its key (11 characters,
  // fewer for a record cut short inside its code): each prefecture fills its own block of a
  // grid, records in order, row by row.
  bool add(int prefecture, std::int64_t index, std::int64_t records, std::string_view key, QString* why);
  // Completes the GeoPackage.
  bool close(QString* why);
  // Whether the file at the path holds the same bytes; then moves the GeoPackage over it.
  bool sameAsThere() const;
  bool commit(QString* why);

 private:
  bool failed(const h7map_failure& failure, QString* why) const;
  QString path_;
  h7::OutputFile file_;
  const h7map_api* api_ = nullptr;
  h7map_squares* squares_ = nullptr;
};
