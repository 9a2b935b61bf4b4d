#include "core/sjis.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace h7::sjis {

// Bytes below 0x80 outside a double-byte character are the ASCII characters (the decoder
// would swap 0x1A, 0x1C and 0x7F); the other characters go through the decoder, and a byte
// that is no character becomes U+FFFD instead of its U+001A (Ctrl-Z, an end of file to
// some tools).
QString decode(std::string_view bytes) {
  QStringDecoder decoder("Shift_JIS", QStringDecoder::Flag::Stateless);
  QString text;
  text.reserve(qsizetype(bytes.size()));
  auto p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto end = p + bytes.size();
  while (p < end) {
    const unsigned char* from = p;
    while (p < end && *p < 0x80) ++p;
    text += QLatin1StringView(reinterpret_cast<const char*>(from), p - from);
    from = p;
    bool loneLead = false;  // the last character: a lead byte without its trail byte
    for (std::size_t n; p < end && *p >= 0x80; p += n) loneLead = (n = charLength(p, end)) == 1 && isLeadByte(*p);
    if (p == from) continue;
    QString part = decoder.decode(QByteArrayView(from, p - from - loneLead));
    text += part.replace(QChar(0x1A), QChar(0xFFFD));
    if (loneLead) text += QChar(0xFFFD);
  }
  return text;
}

QByteArray encode(const QString& text) {
  QStringEncoder encoder("Shift_JIS");
  return encoder.encode(text);
}

}  // namespace h7::sjis
