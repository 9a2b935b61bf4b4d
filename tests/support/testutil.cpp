#include "support/testutil.h"

#include <QFile>
#include <stdexcept>

#include "core/numeric.h"
#include "core/sjis.h"

namespace h7test {

std::string ScratchDir::bytes(const QString& name) const {
  QFile f(file(name));
  if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + name.toStdString());
  return f.readAll().toStdString();
}

void ScratchDir::write(const QString& name, const std::string& bytes) const {
  QFile f(file(name));
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw std::runtime_error("cannot write " + name.toStdString());
  f.write(bytes.data(), qint64(bytes.size()));
}

std::string sjis(const char* utf8) { return h7::sjis::encode(QString::fromUtf8(utf8)).toStdString(); }

QString storedValues(std::initializer_list<h7::JobColumn> columns) {
  QStringList parts;
  for (const h7::JobColumn& column : columns) {
    QStringList values;
    for (const h7::JobValue& v : column) values << QString::fromStdString(h7::canonicalNumber(v));
    parts << values.join(u' ');
  }
  return parts.join(QStringLiteral(" / "));
}

}  // namespace h7test
