// The tabulation group table: suffixes, item-number offset and item numbers of each group.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string_view>

namespace h7 {

struct TabulationGroup {
  int number;            // 1, 2, 3 (その１..その３)
  const char* dataSuffix;   // "S1.DAT"
  const char* nameSuffix;   // "S1.CCC"
  int offset;            // item-number offset: 0, 1361, 2375
  int smallestItem;      // 1, 1362, 2376
  int largestItem;       // 1361, 2375, 3052
  int fieldsPerRecord;   // 1361, 1014, 677
};

// The group of number 1..3, or nullptr for any other number (no group selected).
const TabulationGroup* tabulationGroup(int number);

// A census data file's name: "H7S", the prefecture text as the field holds it, the
// group's data suffix; an item-name file's: "NAMEH7" + the group's name suffix.
QString censusDataName(const QString& prefecture, const TabulationGroup& g);
QString itemNameFileName(const TabulationGroup& g);

// Census data file path: folder, a separator unless it ends in one, "H7S", the
// prefecture text as the field holds it, the group's data suffix.
QString censusDataPath(const QString& folder, const QString& prefecture, const TabulationGroup& g);

// Item-name file path: the folder, then always a separator and "NAMEH7" + suffix.
QString itemNamePath(const QString& folder, const TabulationGroup& g);

// A file name read as a census file's, any letter case: a data file H7S<NN>S<G>.DAT (NN two
// digits or TT: `prefecture` upper-case) or an item-name file NAMEH7S<G>.CCC (no prefecture).
struct CensusName {
  const TabulationGroup* group;
  QString prefecture;
};
std::optional<CensusName> readCensusName(std::string_view name);
// The suffixes of a file compressed on its own that is read as the file it holds.
inline constexpr const char* kCompressionSuffixes[] = {".gz", ".bz2", ".xz"};
// The name without such a suffix (any letter case); the name itself when it has none.
std::string_view withoutCompressionSuffix(std::string_view name);
// The group's data file names as a user reads them: "H7S??S1.DAT".
QString censusDataPattern(const TabulationGroup& g);

// Where the item-name files are looked for, in order: the program's folder, the census
// data folder of the job, then the user's and the system's data folders of the program
// (~/.local/share/h7select, /usr/local/share/h7select, /usr/share/h7select by the XDG
// data paths). Empty and repeated folders are left out.
QStringList itemNameFolders(const QString& programFolder, const QString& dataFolder);

}  // namespace h7
