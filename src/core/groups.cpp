#include "core/groups.h"

#include <QDir>
#include <QStandardPaths>
#include <cstring>
#include <strings.h>

namespace h7 {

namespace {
constexpr TabulationGroup kGroups[3] = {
    {1, "S1.DAT", "S1.CCC", 0, 1, 1361, 1361},
    {2, "S2.DAT", "S2.CCC", 1361, 1362, 2375, 1014},
    {3, "S3.DAT", "S3.CCC", 2375, 2376, 3052, 677},
};

bool endsInSeparator(const QString& path) {
  return path.endsWith(QLatin1Char('/')) || (QDir::separator() == QLatin1Char('\\') && path.endsWith(QLatin1Char('\\')));
}
}  // namespace

const TabulationGroup* tabulationGroup(int number) {
  return number >= 1 && number <= 3 ? &kGroups[number - 1] : nullptr;
}

QString censusDataName(const QString& prefecture, const TabulationGroup& g) {
  return QStringLiteral("H7S") + prefecture + QLatin1String(g.dataSuffix);
}

QString itemNameFileName(const TabulationGroup& g) { return QStringLiteral("NAMEH7") + QLatin1String(g.nameSuffix); }

QString censusDataPath(const QString& folder, const QString& prefecture, const TabulationGroup& g) {
  QString path = folder;
  if (!endsInSeparator(path)) path += QDir::separator();
  return path + censusDataName(prefecture, g);
}

QString itemNamePath(const QString& folder, const TabulationGroup& g) {
  return folder + QDir::separator() + itemNameFileName(g);
}

std::optional<CensusName> readCensusName(std::string_view name) {
  const auto is = [&](std::size_t at, const char* text) {
    return name.size() >= at + std::strlen(text) && ::strncasecmp(name.data() + at, text, std::strlen(text)) == 0;
  };
  const auto digit = [&](std::size_t at) { return name[at] >= '0' && name[at] <= '9'; };
  for (const TabulationGroup& g : kGroups) {
    if (name.size() == 3 + 2 + std::strlen(g.dataSuffix) && is(0, "H7S") && is(5, g.dataSuffix) &&
        ((digit(3) && digit(4)) || is(3, "TT")))
      return CensusName{&g, QString::fromLatin1(name.data() + 3, 2).toUpper()};
    if (name.size() == 6 + std::strlen(g.nameSuffix) && is(0, "NAMEH7") && is(6, g.nameSuffix)) return CensusName{&g, {}};
  }
  return std::nullopt;
}

std::string_view withoutCompressionSuffix(std::string_view name) {
  for (const char* suffix : kCompressionSuffixes) {
    const std::size_t n = std::strlen(suffix);
    if (name.size() > n && ::strncasecmp(name.data() + name.size() - n, suffix, n) == 0) return name.substr(0, name.size() - n);
  }
  return name;
}

QString censusDataPattern(const TabulationGroup& g) { return QStringLiteral("H7S??") + QLatin1String(g.dataSuffix); }

QStringList itemNameFolders(const QString& programFolder, const QString& dataFolder) {
  QStringList folders{programFolder, dataFolder};
  for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
    folders << data + QStringLiteral("/h7select");
  QStringList unique;
  for (const QString& folder : folders)
    if (!folder.isEmpty() && !unique.contains(QDir::cleanPath(folder))) unique << QDir::cleanPath(folder);
  return unique;
}

}  // namespace h7
