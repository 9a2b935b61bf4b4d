#include "support/testutil.h"

#include <QFile>
#include <stdexcept>

#include "common/numeric.h"
#include "common/sjis.h"

namespace h7test {

ScratchDir::ScratchDir() : dir_(QDir::tempPath() + QStringLiteral("/h7test-XXXXXX")) {
  if (!dir_.isValid()) throw std::runtime_error("cannot make a scratch folder");
}

std::string ScratchDir::bytes(const QString& name) const { return readBytes(file(name)); }
void ScratchDir::write(const QString& name, const std::string& b) const { writeBytes(file(name), b); }

std::string readBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + path.toStdString());
  QByteArray all = f.readAll();
  return std::string(all.constData(), std::size_t(all.size()));
}

void writeBytes(const QString& path, const std::string& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw std::runtime_error("cannot write " + path.toStdString());
  f.write(bytes.data(), qint64(bytes.size()));
}

std::string sjis(const char* utf8) {
  QByteArray b = h7::sjis::encode(QString::fromUtf8(utf8));
  return std::string(b.constData(), std::size_t(b.size()));
}

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
