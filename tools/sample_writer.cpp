#include "sample_writer.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

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
  if (discard_ || !used_ || !ok()) {
  } else if (compare_) {
    there_.resize(used_);
    differs_ = existing_.read(there_.data(), qint64(used_)) != qint64(used_) || std::memcmp(there_.data(), buffer_.data(), used_) != 0;
  } else if (auto failure = sink_ ? sink_(buffer_.data(), used_) : file_.write(buffer_.data(), used_)) {
    fail(*failure);
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
  if (ok() && !sink_)
    if (auto failure = file_.commit()) fail(*failure);
  if (failure_) return *failure_;
  return Outcome::Written;
}

h7::Result<Outcome> writeLoose(const QString& dir, const SampleFile& file, bool compare) {
  const QString path = QDir(dir).filePath(file.name);
  BlockWriter out(path, compare);
  if (auto failure = file.make(out)) return *failure;
  const qint64 bytes = out.bytesWritten();
  const h7::Result<Outcome> outcome = out.close();
  if (outcome) std::printf("%s\n", qPrintable(file.line(QDir::toNativeSeparators(path), bytes)));
  return outcome;
}
