// What a run is asked to do: its files, prefectures, items, filters and output form, the map
// output's request, and the counts of a map's join. The output targets know a run by this.
#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <optional>
#include <vector>

#include "core/job_params.h"

namespace h7 {

// The map output: instead of CSV, a GeoPackage layer of the kept areas, each joined on its
// KEY_CODE to a feature of a boundary layer (through the map module, extract/map_module.h).
struct MapRequest {
  QString boundaries;  // file of the boundary layer, anything GDAL reads; empty: no map output
  QString layer;       // its layer; empty: the first
  QString keyField = QStringLiteral("KEY_CODE");
  QStringList fields;          // boundary fields copied into the output, after the items
  bool allFields = false;      // every boundary field but the key
  QString outputLayer;         // the output's layer; empty: the output file's stem
  QString unmatched;           // a CSV of the codes that did not join; empty: none
  bool suppressedAsZero = false;  // numerified values without a number as 0, not NULL
};

// SQLite holds 2000 columns to a table: the feature id, the geometry, KEY_CODE and the
// three codes leave the rest to the items.
constexpr int kMostMapItems = 2000 - 6;

struct JoinCounts {
  long long joined = 0;          // areas written with their boundary
  long long noBoundary = 0;      // areas written without a geometry
  long long noData = 0;          // boundary keys that no area took, and features without a key
  long long mergedAreas = 0;     // areas written whose key several boundary features hold
  long long mergedFeatures = 0;  // those features
};

struct RunInputs {
  QString inputFolder;      // folder of the census data files
  QString outputFile;       // path of the output file
  QStringList prefectures;  // two characters each, as the prefecture field holds them; in output order
  int group = 1;            // tabulation group 1..3
  bool numerify = false;    // numerified values instead of raw ones
  QStringList nameFolders;  // where the item-name files are looked for, in order
  std::vector<ItemSet> itemSets;  // in order
  std::optional<std::vector<int>> itemPositions;  // the output items of itemSets, when the caller has them already
  bool municipalityFilter = false;
  std::vector<MunicipalityRange> municipalities;
  bool utf8 = false;     // write UTF-8 instead of Shift-JIS
  bool utf8Bom = false;  // with utf8: a byte order mark first, for spreadsheet programs
  bool stats = false;    // count, per output item, the values that hold no number
  bool key = false;      // a first column KEY_CODE: the area's whole code (prefecture, municipality, area)
  bool longForm = false;  // a line per area and output item: codes, item number, item name, value
  int outputDescriptor = -1;  // 0 or more: the output goes to this open descriptor, not to outputFile
  MapRequest map;             // with boundaries: outputFile is a GeoPackage (utf8 and longForm do not apply)
  int threads = -1;      // worker threads for the records: -1 the machine's (defaultWorkerCount), 0 none
  std::size_t chunkBytes = std::size_t(2) << 20;  // files are cut into pieces of this size for the workers
};

}  // namespace h7
