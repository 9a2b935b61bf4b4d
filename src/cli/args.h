// Command-line arguments of h7extract.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "extract/itemlist.h"
#include "extract/municipality_filter.h"

namespace h7::cli {

enum class Mode { Extract, ListItems, Help, Version };

struct Options {
  Mode mode = Mode::Extract;
  QString input, output, pref, names, items, municipalities, filter;
  bool hasMunicipalities = false;
  int group = 0;
  bool numerify = false, utf8 = false, utf8Bom = false, quiet = false, stats = false;
};

// Parses the arguments (program name excluded); on a usage error returns the message.
struct Parsed {
  std::optional<Options> options;
  QString error;
};
Parsed parseArguments(const QStringList& args);

// "FIRST[-LAST][:INTERVAL],..." into the texts the item selection fields would hold,
// stored by the same rule (half-width conversion, truncated numeric value).
std::optional<std::vector<ItemSet>> parseItemSets(const QString& text);
// "FIRST[-LAST],..." into municipality ranges, stored by the same rule as ranges 1-4.
std::optional<std::vector<MunicipalityRange>> parseMunicipalityRanges(const QString& text);

// "13", "01-47", "13,14,TT": each number checked and normalised like the prefecture
// field, ranges expanded, in the order given; empty when one is rejected. "all" is
// expanded by the caller, from the files of the input folder.
std::optional<QStringList> parsePrefectures(const QString& text);
inline bool isAllPrefectures(const QString& text) { return text.trimmed().compare(QLatin1String("all"), Qt::CaseInsensitive) == 0; }

QString usage();

}  // namespace h7::cli
