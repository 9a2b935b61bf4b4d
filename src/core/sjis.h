// Shift-JIS (code page 932) bytes: character stepping, and decoding/encoding for the
// few places where text is shown to people or typed by them.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace h7::sjis {

inline bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
inline bool isTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Length in bytes of the character at p (1 or 2); a lead byte without a valid trail
// byte after it is a character of its own.
inline std::size_t charLength(const unsigned char* p, const unsigned char* end) {
  return (isLeadByte(p[0]) && p + 1 < end && isTrailByte(p[1])) ? 2 : 1;
}

QString decode(std::string_view bytes);
QByteArray encode(const QString& text);

}  // namespace h7::sjis
