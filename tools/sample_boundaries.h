// h7sample's demo boundaries: a square per record written, in JGD2011 longitude and
// latitude (EPSG:6668), keyed by KEY_CODE, in one GeoPackage layer (built with H7_MAP only).
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <string_view>

class SampleBoundaries {
 public:
  // Creates `path` (replacing a file of that name); null, with the reason in `why`, on failure.
  static std::unique_ptr<SampleBoundaries> create(const QString& path, QString* why);
  virtual ~SampleBoundaries() = default;
  // The square of record `index` of `records` of a prefecture's file, with its key (11 characters,
  // fewer for a record cut short inside its code): each prefecture fills its own block of a
  // grid, records in order, row by row.
  virtual bool add(int prefecture, std::int64_t index, std::int64_t records, std::string_view key, QString* why) = 0;
  virtual bool close(QString* why) = 0;
};
