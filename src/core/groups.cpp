#include "core/groups.h"

#include <QDir>
#include <QStandardPaths>

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

QString censusDataPath(const QString& folder, const QString& prefecture, const TabulationGroup& g) {
  QString path = folder;
  if (!endsInSeparator(path)) path += QDir::separator();
  return path + QStringLiteral("H7S") + prefecture + QLatin1String(g.dataSuffix);
}

QString itemNamePath(const QString& folder, const TabulationGroup& g) {
  return folder + QDir::separator() + QStringLiteral("NAMEH7") + QLatin1String(g.nameSuffix);
}

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
