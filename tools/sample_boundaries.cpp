#include "sample_boundaries.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <cstring>

#include "core/command_line.h"
#include "extract/map_module.h"
#include "sample_random.h"

namespace {
constexpr const char* kShapefileParts[] = {".shp", ".shx", ".dbf", ".prj", ".cpg"};
}

QStringList SampleBoundaries::paths(const QString& dir, bool shapefile) {
  if (!shapefile) return {QDir(dir).filePath(QStringLiteral("boundaries.gpkg"))};
  QStringList list;
  for (const char* extension : kShapefileParts) list << QDir(dir).filePath(QStringLiteral("boundaries") + QLatin1String(extension));
  return list;
}

h7::Result<std::unique_ptr<SampleBoundaries>> SampleBoundaries::create(const QString& dir, const BoundaryOptions& options) {
  std::unique_ptr<SampleBoundaries> b(new SampleBoundaries);
  b->paths_ = paths(dir, options.shapefile);
  b->options_ = options;
  b->api_ = h7::mapModule().api;
  std::string temporary;
  if (!options.shapefile) {
    if (auto failure = b->file_.open(b->paths_[0], h7::OutputFile::Filler::Database)) return *failure;
    temporary = b->file_.temporaryPath();
  }
  h7map_failure failure{};
  const h7map_sample sample{temporary.c_str(), options.shapefile, options.split > 0};
  b->squares_ = b->api_->squares_create(&sample, &failure);
  if (!b->squares_) return b->failed(failure);
  return b;
}

SampleBoundaries::~SampleBoundaries() {
  if (squares_) api_->squares_close(squares_);
}

h7::Failure SampleBoundaries::failed(const h7map_failure& failure) const {
  if (auto full = file_.spaceFailure()) return *full;
  return h7::msg::sample::boundariesNotWritten(paths_[0], QString::fromUtf8(failure.detail), options_.shapefile);
}

std::optional<h7::Failure> SampleBoundaries::add(int prefecture, std::int64_t index, std::int64_t records, std::string_view key) {
  // Prefectures side by side in blocks of 1.6 degrees, ten to a row, from 128E 30N.
  const std::int64_t side = std::max<std::int64_t>(1, std::int64_t(std::ceil(std::sqrt(double(records)))));
  const double cell = 1.6 / double(side), square = cell * 0.9;
  const double x = 128.0 + 2.0 * ((prefecture - 1) % 10) + cell * double(index % side);
  const double y = 30.0 + 2.0 * ((prefecture - 1) / 10) + 1.6 - cell * double(index / side + 1);
  const std::string code(key), name = "地域" + code;
  h7map_failure failure{};
  // Split or not: a function of the seed and the record alone.
  const std::uint64_t z = options_.seed ^ (std::uint64_t(prefecture) << 48) ^ std::uint64_t(index) * 0x9E3779B97F4A7C15ull;
  if (SplitMix64::finish(z) % 100 >= std::uint64_t(options_.split)) {
    const double whole[] = {x, y, x + square, y + square};
    if (!api_->squares_add(squares_, whole, 1, code.c_str(), name.c_str(), &failure)) return failed(failure);
    return std::nullopt;
  }
  const double middle = x + square / 2;
  const double part[] = {x, y, middle, y + square};
  const double rest[] = {middle, y, x + square, y + square,                         // the square's other half
                         x + cell * 0.92, y + cell * 0.1, x + cell * 0.98, y + cell * 0.3};  // the island
  if (!api_->squares_add(squares_, part, 1, code.c_str(), name.c_str(), &failure) ||
      !api_->squares_add(squares_, rest, 2, code.c_str(), name.c_str(), &failure))
    return failed(failure);
  return std::nullopt;
}

std::optional<h7::Failure> SampleBoundaries::close() {
  h7map_failure failure{};
  if (!api_->squares_finish(squares_, &failure)) return failed(failure);
  const char* extension = nullptr;
  const void* bytes = nullptr;
  std::size_t size = 0;
  for (std::size_t i = 0; options_.shapefile && api_->squares_file(squares_, i, &extension, &bytes, &size); ++i)
    made_.emplace_back(bytes, size);  // in the order of kShapefileParts, the squares' until the destructor
  if (!options_.shapefile) {
    api_->squares_close(squares_);
    squares_ = nullptr;
  } else if (made_.size() != std::size(kShapefileParts)) {
    return failed(failure);
  }
  return std::nullopt;
}

bool SampleBoundaries::sameAs(const QString& path, std::size_t file) const {
  QFile there(path);
  if (!there.open(QIODevice::ReadOnly)) return false;
  if (options_.shapefile) {
    const auto [bytes, size] = made_[file];
    return there.size() == qint64(size) && there.readAll() == QByteArray::fromRawData(static_cast<const char*>(bytes), qsizetype(size));
  }
  QFile made(h7::fromNativeBytes(file_.temporaryPath()));
  if (!made.open(QIODevice::ReadOnly) || made.size() != there.size()) return false;
  while (!made.atEnd())
    if (made.read(1 << 20) != there.read(1 << 20)) return false;
  return true;
}

QString SampleBoundaries::otherBytes() const {
  for (qsizetype i = 0; i < paths_.size(); ++i)
    if (QFileInfo::exists(paths_[i]) && !sameAs(paths_[i], std::size_t(i))) return paths_[i];
  return {};
}

bool SampleBoundaries::sameAsThere() const {
  for (qsizetype i = 0; i < paths_.size(); ++i)
    if (!sameAs(paths_[i], std::size_t(i))) return false;
  return true;
}

std::optional<h7::Failure> SampleBoundaries::commit() {
  if (!options_.shapefile) return file_.commit();
  std::vector<std::unique_ptr<h7::OutputFile>> files;
  for (qsizetype i = 0; i < paths_.size(); ++i) {
    const auto [bytes, size] = made_[std::size_t(i)];
    if (sameAs(paths_[i], std::size_t(i))) continue;  // left as it is
    auto& file = files.emplace_back(std::make_unique<h7::OutputFile>());
    auto failure = file->open(paths_[i]);
    if (!failure) failure = file->write(static_cast<const char*>(bytes), size);
    if (failure) return failure;
  }
  for (auto& file : files)
    if (auto failure = file->commit()) return failure;
  return std::nullopt;
}
