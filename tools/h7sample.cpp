// h7sample: writes synthetic item-name files and census data files (Shift-JIS, CR LF)
// for the demo, the tests and the benchmarks. Output depends only on the arguments and
// the seed, so the same command gives the same bytes on every machine. This file: which
// files, in what order, loose or packed into one archive, each compared with the file there
// before any is written.
#include "core/groups.h"
#include "core/messages.h"
#include "extract/archive_library.h"
#include "extract/kernels/choice.h"
#include "extract/map_module.h"
#include "sample_archive.h"
#include "sample_arguments.h"
#include "sample_boundaries.h"
#include "sample_data.h"
#include "sample_names.h"
#include "sample_writer.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

namespace text = h7::msg::sample;

// Says why h7sample stops, a usage mistake followed by how to see the usage; its exit status.
int stop(const h7::Failure& failure) {
  std::fprintf(stderr, "h7sample: %s\n", qPrintable(failure.description));
  if (failure.kind == h7::FailureKind::Usage) std::fprintf(stderr, "%s\n", qPrintable(text::helpHint()));
  return h7::exitStatus(failure);
}

void say(const QString& line) { std::printf("%s\n", qPrintable(line)); }

#ifdef H7_MAP
// DIR/boundaries.gpkg or .shp and its companions: a square per record of the data files, whose
// records are made again and thrown away. Made first, then compared with the files there or
// written over them.
h7::Result<Outcome> writeBoundaries(const QString& dir, const BoundaryOptions& options, std::vector<DataJob> jobs, bool compare) {
  h7::Result<std::unique_ptr<SampleBoundaries>> made = SampleBoundaries::create(dir, options);
  if (!made) return made.failure();
  SampleBoundaries& squares = **made;
  std::int64_t count = 0;
  for (DataJob& job : jobs) {
    job.record = [&squares, &count, &job](std::int64_t index, std::string_view key) {
      auto failure = squares.add(job.pref, index, job.records, key);
      count += !failure;
      return failure;
    };
    BlockWriter thrownAway{QString(), false};
    if (auto failure = makeDataFile(job, thrownAway)) return *failure;
  }
  if (auto failure = squares.close()) return *failure;
  Outcome outcome = Outcome::Written;
  if (compare) {
    if (const QString other = squares.otherBytes(); !other.isEmpty()) return text::otherBytes(QDir::toNativeSeparators(other));
    outcome = squares.sameAsThere() ? Outcome::Same : Outcome::Missing;
  } else if (auto failure = squares.commit()) {
    return *failure;
  }
  if (outcome != Outcome::Missing)
    say(text::madeSquares(QDir::toNativeSeparators(SampleBoundaries::paths(dir, options.shapefile)[0]), count));
  return outcome;
}
#endif

}  // namespace

int main(int argc, char* argv[]) {
  if (const int refused = h7::refusedKernelChoice()) return refused;
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const h7::Result<SampleRequest> request = readArguments(arguments);
  if (!request) return stop(request.failure());
  const SampleRequest& r = *request;
  if (r.help) {
    std::fputs(text::help().toUtf8().constData(), stdout);
    return 0;
  }
  if (r.boundaries && !h7::mapModule().api)  // GDAL's module, loaded for the squares only
    return stop(text::noMapModule(h7::mapModule().path, h7::mapModule().why));
  QString why;
  if (r.archive != ArchiveFormat::None && !h7::archiveLibrary(&why)) return stop(text::noArchiveLibrary(why));
  const QString& dir = r.dir;  // with --archive, the archive's file
  const QString folder = r.archive == ArchiveFormat::None ? dir : QFileInfo(dir).path();
  if (!QDir().mkpath(folder)) return stop(text::cannotCreateFolder(folder));

  std::vector<SampleFile> made;  // the item-name and data files, loose or packed
  if (r.names)
    for (int g = 1; g <= 3; ++g) made.push_back(nameFile(*h7::tabulationGroup(g)));
  std::vector<DataJob> jobs;
  for (int pref : r.prefectures) made.push_back(dataFile(jobs.emplace_back(DataJob{pref, r.group, r.records, r.seed, r.suppressed, {}})));

  // The files to make; those that exist are compared first, so that none is replaced with
  // other bytes unless --force says so, and a refusal leaves every file as it was.
  std::vector<std::pair<QStringList, std::function<h7::Result<Outcome>(bool compare)>>> files;
  if (r.archive != ArchiveFormat::None)
    files.emplace_back(QStringList{dir}, [&](bool compare) { return writeArchive(dir, r.archive, made, compare); });
  else
    for (const SampleFile& file : made)
      files.emplace_back(QStringList{QDir(dir).filePath(file.name)}, [&dir, &file](bool compare) { return writeLoose(dir, file, compare); });
#ifdef H7_MAP
  if (r.boundaries)
    files.emplace_back(SampleBoundaries::paths(dir, r.shape.shapefile),
                       [&](bool compare) { return writeBoundaries(dir, r.shape, jobs, compare); });
#endif
  std::vector<bool> same(files.size(), false);  // found with the same bytes: left as it is
  for (std::size_t i = 0; i < files.size(); ++i) {
    const QStringList& paths = files[i].first;
    if (r.force || std::none_of(paths.begin(), paths.end(), [](const QString& p) { return QFileInfo::exists(p) && !QFileInfo(p).isDir(); }))
      continue;  // a folder in the way: the writer says so
    const h7::Result<Outcome> outcome = files[i].second(true);
    if (!outcome) return stop(outcome.failure());
    same[i] = *outcome == Outcome::Same;
  }
  for (std::size_t i = 0; i < files.size(); ++i)
    if (!same[i])
      if (const h7::Result<Outcome> outcome = files[i].second(false); !outcome) return stop(outcome.failure());
  return 0;
}
