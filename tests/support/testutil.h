// Small helpers shared by the test programs: scratch folders, bytes, job parameters.
#pragma once

#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <ostream>
#include <string>

#include "core/job_params.h"
#include "core/messages.h"
#include "extract/files.h"

namespace h7test {

// A fresh folder removed at the end of the test, with whole-file reads and writes.
class ScratchDir {
 public:
  QString path() const { return dir_.path(); }
  QString file(const QString& name) const { return dir_.filePath(name); }
  std::string bytes(const QString& name) const;
  void write(const QString& name, const std::string& bytes) const;

 private:
  QTemporaryDir dir_{QDir::tempPath() + QStringLiteral("/h7test-XXXXXX")};
};

// Bytes handed out in pieces of at most `step`, so that line ends can fall on block edges.
class MemorySource final : public h7::ByteSource {
 public:
  explicit MemorySource(std::string bytes, std::size_t step) : bytes_(std::move(bytes)), step_(step) {}
  std::ptrdiff_t readAt(long long offset, char* buffer, std::size_t size) override {
    const std::size_t at = std::min(std::size_t(offset), bytes_.size());
    std::size_t n = std::min({size, step_, bytes_.size() - at});
    if (n) std::memcpy(buffer, bytes_.data() + at, n);
    largestRead = std::max(largestRead, size);
    return std::ptrdiff_t(n);
  }
  long long size() const override { return (long long)bytes_.size(); }
  std::size_t largestRead = 0;  // the most bytes asked for at once

 private:
  std::string bytes_;
  std::size_t step_;
};

// Shift-JIS bytes of a UTF-8 text literal.
std::string sjis(const char* utf8);

// Columns of the job parameters in canonical form, sets 1 to 5 each: "5 0 0 0 0 / 5 0 0 0 0".
QString storedValues(std::initializer_list<h7::JobColumn> columns);
// The description of a failure, empty when there is none.
inline QString described(const std::optional<h7::Failure>& f) { return f ? f->description : QString(); }

// The texts of a screen's fields from "a,b,c;d,e,f": `width` fields to a row, the rest empty.
template <std::size_t N>
std::array<QString, N> rowsToFields(const QString& rows, int width) {
  std::array<QString, N> fields;
  const QStringList parts = rows.split(u';');
  for (qsizetype r = 0; r < parts.size(); ++r) {
    const QStringList values = parts[r].split(u',');
    for (qsizetype v = 0; v < values.size(); ++v) fields[std::size_t(r * width + v)] = values[v];
  }
  return fields;
}

// The same form back, empty parts at the end of a row and of the whole dropped.
template <class Fields>
QString fieldsToRows(const Fields& fields, int width) {
  QString text;
  for (std::size_t i = 0; i < fields.size(); ++i) text += fields[i] + (int(i) % width == width - 1 ? u';' : u',');
  return text.replace(QRegularExpression(",+;"), ";").remove(QRegularExpression("[,;]+$"));
}

}  // namespace h7test

// Readable QString values in GoogleTest failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
