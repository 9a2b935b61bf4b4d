// Small helpers shared by the test programs: scratch folders and whole-file bytes.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <ostream>
#include <string>

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

// Shift-JIS bytes of a UTF-8 text literal.
std::string sjis(const char* utf8);

}  // namespace h7test

// Readable QString values in GoogleTest failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
