// Small helpers shared by the test programs: scratch folders and whole-file bytes.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <ostream>
#include <string>

#include "extract/fileio.h"
#include "main/jobparams.h"

namespace h7test {

// A fresh folder removed at the end of the test.
class ScratchDir {
 public:
  ScratchDir();
  QString path() const { return dir_.path(); }
  QString file(const QString& name) const { return dir_.filePath(name); }
  std::string bytes(const QString& name) const;
  void write(const QString& name, const std::string& bytes) const;

 private:
  QTemporaryDir dir_;
};

std::string readBytes(const QString& path);
void writeBytes(const QString& path, const std::string& bytes);

// Bytes handed out in pieces of at most `step`, so that line ends can fall on block edges.
class MemorySource final : public h7::ByteSource {
 public:
  explicit MemorySource(std::string bytes, std::size_t step = std::size_t(1) << 20)
      : bytes_(std::move(bytes)), step_(step) {}
  std::ptrdiff_t read(char* buffer, std::size_t size) override {
    std::size_t n = std::min({size, step_, bytes_.size() - at_});
    if (n) std::memcpy(buffer, bytes_.data() + at_, n);
    at_ += n;
    return std::ptrdiff_t(n);
  }

 private:
  std::string bytes_;
  std::size_t step_, at_ = 0;
};

// Shift-JIS bytes of a UTF-8 text literal.
std::string sjis(const char* utf8);

// Columns of the job parameters in canonical form, sets 1 to 5 each: "5 0 0 0 0 / 5 0 0 0 0".
using JobColumn = h7::JobValue h7::JobParams::* const*;
QString storedValues(const h7::JobParams& params, std::initializer_list<JobColumn> columns);

}  // namespace h7test

// Readable QString values in GoogleTest failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
