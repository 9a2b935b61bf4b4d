#include "core/sjis.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace h7::sjis {

QString decode(std::string_view bytes) {
  QStringDecoder decoder("Shift_JIS");
  return decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

QByteArray encode(const QString& text) {
  QStringEncoder encoder("Shift_JIS");
  return encoder.encode(text);
}

}  // namespace h7::sjis
