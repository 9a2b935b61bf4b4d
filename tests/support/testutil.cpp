#include "support/testutil.h"

#include <QFile>
#include <stdexcept>

#include "common/numeric.h"
#include "common/sjis.h"

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

QString storedValues(const h7::JobParams& params, std::initializer_list<JobColumn> columns) {
  QStringList parts;
  for (JobColumn column : columns) {
    QStringList values;
    for (int i = 0; i < 5; ++i) values << QString::fromStdString(h7::canonicalNumber(params.*column[i]));
    parts << values.join(u' ');
  }
  return parts.join(QStringLiteral(" / "));
}

}  // namespace h7test
