// h7sample's output: lines are built in a large buffer and written in big blocks, through the
// one writer's temporary file (extract/files.h) that replaces the file when it is complete, or
// handed on (to an archive's member). Or, for a file that is there already, only compared
// with it: no file is replaced with other bytes unless the user says so.
#pragma once

#include <QFile>
#include <QString>
#include <cstddef>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "core/messages.h"
#include "extract/files.h"

// What making a file came to, when it did not fail: written, found there with the same bytes,
// or (of several files made together) some found the same and some missing.
enum class Outcome { Written, Same, Missing };

class BlockWriter {
 public:
  static constexpr std::size_t kBlock = std::size_t(16) << 20;
  using Sink = std::function<std::optional<h7::Failure>(const char* data, std::size_t size)>;

  // An empty path: the bytes are made and thrown away.
  BlockWriter(const QString& path, bool compare);
  // The bytes handed to `sink` block by block; its failure stops the writer.
  explicit BlockWriter(Sink sink) : buffer_(kBlock), sink_(std::move(sink)), compare_(false), discard_(false) {}
  bool ok() const { return !failure_ && !differs_; }  // false also once a compared byte differs
  const std::optional<h7::Failure>& failure() const { return failure_; }
  qint64 bytesWritten() const { return written_ + qint64(used_); }

  // Room for at least n bytes at the end of the buffer; commit() what was used of it.
  char* room(std::size_t n) {
    if (buffer_.size() - used_ < n) {
      flush();
      if (buffer_.size() < n) buffer_.resize(n);
    }
    return buffer_.data() + used_;
  }
  void commit(std::size_t n) { used_ += n; }
  void append(const char* p, std::size_t n) { std::memcpy(room(n), p, n), commit(n); }

  void flush();
  // What it came to; the file is replaced only now. Compared: the same bytes, or the failure
  // that names the file of other bytes.
  h7::Result<Outcome> close();

 private:
  void fail(const h7::Failure& failure) {
    if (!failure_) failure_ = failure;
  }
  h7::OutputFile file_;
  QString path_;
  QFile existing_;
  std::vector<char> buffer_, there_;
  Sink sink_;
  bool compare_, discard_, differs_ = false;
  std::size_t used_ = 0;
  qint64 written_ = 0;
  std::optional<h7::Failure> failure_;
};

// One file h7sample makes: its name, its bytes made into a writer (stopping when the writer
// fails), and the line that says what was made, given the path shown for it and its size.
struct SampleFile {
  QString name;
  std::function<std::optional<h7::Failure>(BlockWriter& out)> make;
  std::function<QString(const QString& shown, qint64 bytes)> line;
};

// The file made in the folder, or compared with the file there; its line said when it is
// written or found the same.
h7::Result<Outcome> writeLoose(const QString& dir, const SampleFile& file, bool compare);
