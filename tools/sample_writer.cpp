#include "sample_writer.h"

#include <QDir>
#include <QFileInfo>

BlockWriter::BlockWriter(const QString& path, bool compare) : path_(path), buffer_(kBlock), compare_(compare), discard_(path.isEmpty()) {
  if (discard_) {
  } else if (compare) {
    existing_.setFileName(path);
    differs_ = !QFileInfo(path).isFile() || !existing_.open(QIODevice::ReadOnly);
  } else if (auto failure = file_.open(path)) {
    fail(*failure);
  }
}

void BlockWriter::flush() {
  if (discard_) {
  } else if (compare_ && used_ && ok()) {
    there_.resize(used_);
    differs_ = existing_.read(there_.data(), qint64(used_)) != qint64(used_) || std::memcmp(there_.data(), buffer_.data(), used_) != 0;
  } else if (used_ && ok()) {
    if (auto failure = file_.write(buffer_.data(), used_)) fail(*failure);
  }
  written_ += qint64(used_);
  used_ = 0;
}

h7::Result<Outcome> BlockWriter::close() {
  flush();
  char more;
  if (discard_) return Outcome::Written;
  if (compare_) {
    if (ok() && existing_.read(&more, 1) == 0) return Outcome::Same;
    return h7::msg::sample::otherBytes(QDir::toNativeSeparators(path_));
  }
  if (ok())
    if (auto failure = file_.commit()) fail(*failure);
  if (failure_) return *failure_;
  return Outcome::Written;
}
