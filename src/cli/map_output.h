// h7extract's map output: the run's CSV lines joined on KEY_CODE to a layer of small-area
// boundaries and written as one GeoPackage layer, through GDAL (built with H7_MAP only).
#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "core/messages.h"

namespace h7::cli {

struct MapRequest {
  QString boundaries;  // file of the boundary layer, anything GDAL reads; empty: no map output
  QString layer;       // its layer; empty: the first
  QString keyField = QStringLiteral("KEY_CODE");
};

// SQLite holds 2000 columns to a table: the feature id, the geometry, KEY_CODE and the
// three codes leave the rest to the items.
constexpr int kMostMapItems = 2000 - 6;

struct JoinCounts {
  long long joined = 0;      // areas written with their boundary
  long long noBoundary = 0;  // areas written without a geometry
  long long noData = 0;      // boundary features that no area took (those without a key included)
  long long duplicates = 0;  // boundary features whose key an earlier one holds
};

class MapOutput {
 public:
  // `items`: the item numbers of the value columns, in order; `numerify`: values are numbers.
  MapOutput(MapRequest request, QString output, std::vector<int> items, bool numerify);
  ~MapOutput();  // a GeoPackage not committed is removed
  MapOutput(const MapOutput&) = delete;
  MapOutput& operator=(const MapOutput&) = delete;

  // Whole lines of the run's CSV, Shift-JIS, KEY_CODE first. The header opens the boundaries,
  // indexes their keys and creates the GeoPackage beside the output; each record is a feature.
  std::optional<Failure> write(std::string_view lines);
  // Closes the GeoPackage and moves it over the output.
  std::optional<Failure> commit();
  const JoinCounts& counts() const;

 private:
  struct State;
  std::unique_ptr<State> s_;
};

}  // namespace h7::cli
