#include "sample_boundaries.h"

#include <QFile>
#include <cmath>

#include "core/command_line.h"
#include "extract/map_module.h"

std::unique_ptr<SampleBoundaries> SampleBoundaries::create(const QString& path, QString* why) {
  std::unique_ptr<SampleBoundaries> b(new SampleBoundaries);
  b->path_ = path;
  b->api_ = h7::mapModule().api;
  if (auto failure = b->file_.open(path, h7::OutputFile::Filler::Database)) return *why = failure->description, nullptr;
  h7map_failure failure{};
  const std::string temporary = b->file_.temporaryPath();
  const h7map_sample sample{temporary.c_str(), 0, 0};
  b->squares_ = b->api_->squares_create(&sample, &failure);
  return b->squares_ || b->failed(failure, why) ? std::move(b) : nullptr;
}

SampleBoundaries::~SampleBoundaries() {
  if (squares_) api_->squares_close(squares_);
}

bool SampleBoundaries::failed(const h7map_failure& failure, QString* why) const {
  if (auto full = file_.spaceFailure()) return *why = full->description, false;
  *why = h7::msg::sample::boundariesNotWritten(path_, QString::fromUtf8(failure.detail)).description;
  return false;
}

bool SampleBoundaries::add(int prefecture, std::int64_t index, std::int64_t records, std::string_view key, QString* why) {
  // Prefectures side by side in blocks of 1.6 degrees, ten to a row, from 128E 30N.
  const std::int64_t side = std::max<std::int64_t>(1, std::int64_t(std::ceil(std::sqrt(double(records)))));
  const double cell = 1.6 / double(side), square = cell * 0.9;
  const double x = 128.0 + 2.0 * ((prefecture - 1) % 10) + cell * double(index % side);
  const double y = 30.0 + 2.0 * ((prefecture - 1) / 10) + 1.6 - cell * double(index / side + 1);
  const double rectangle[] = {x, y, x + square, y + square};
  const std::string code(key), name = "地域" + code;
  h7map_failure failure{};
  return api_->squares_add(squares_, rectangle, 1, code.c_str(), name.c_str(), &failure) || failed(failure, why);
}

bool SampleBoundaries::close(QString* why) {
  h7map_failure failure{};
  const bool finished = api_->squares_finish(squares_, &failure);
  api_->squares_close(squares_);
  squares_ = nullptr;
  return finished || failed(failure, why);
}

bool SampleBoundaries::sameAsThere() const {
  QFile made(h7::fromNativeBytes(file_.temporaryPath())), there(path_);
  if (!made.open(QIODevice::ReadOnly) || !there.open(QIODevice::ReadOnly) || made.size() != there.size()) return false;
  while (!made.atEnd())
    if (made.read(1 << 20) != there.read(1 << 20)) return false;
  return true;
}

bool SampleBoundaries::commit(QString* why) {
  if (auto failure = file_.commit()) return *why = failure->description, false;
  return true;
}
