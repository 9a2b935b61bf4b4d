#include "core/command_line.h"

#include <QRegularExpression>

#include "core/half_width.h"

namespace h7 {

namespace {

// Parses with a fresh parser; the first argument that is no option, when there is one.
std::optional<QString> parses(const QList<QCommandLineOption>& options, const QStringList& arguments, bool& ok) {
  QCommandLineParser parser;
  parser.addOptions(options);
  ok = parser.parse(QStringList{QStringLiteral("program")} + arguments);
  if (ok && !parser.positionalArguments().isEmpty()) return parser.positionalArguments().first();
  return std::nullopt;
}

bool takesValue(const QList<QCommandLineOption>& options, const QString& argument) {
  for (const QCommandLineOption& o : options)
    for (const QString& name : o.names())
      if (argument == (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name) return !o.valueName().isEmpty();
  return false;
}

}  // namespace

std::optional<Failure> readCommandLine(QCommandLineParser& parser, const QList<QCommandLineOption>& options,
                                       const QStringList& arguments, const ArgumentTexts& texts) {
  parser.addOptions(options);
  if (parser.parse(QStringList{QStringLiteral("program")} + arguments) && parser.positionalArguments().isEmpty())
    return std::nullopt;
  // The shortest start of the arguments that fails names the culprit: its last argument.
  for (qsizetype n = 1; n <= arguments.size(); ++n) {
    bool ok = false;
    if (auto stray = parses(options, arguments.first(n), ok)) return usage(texts.stray(*stray));
    if (ok) continue;
    const QString& last = arguments[n - 1];
    if (!takesValue(options, last)) return usage(texts.unknown(last));
    if (n == arguments.size()) return usage(texts.missingValue(last));
  }
  return usage(texts.unknown(arguments.value(0)));
}

}  // namespace h7

namespace h7 {

namespace {

// Length of the well-formed UTF-8 character at the start of `s` (no overlong forms, no
// surrogates, at most U+10FFFF), or 0.
int utf8Length(const unsigned char* s, const unsigned char* end) {
  const unsigned char c = s[0];
  int n = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (n == 0 || end - s < n) return 0;
  for (int i = 1; i < n; ++i)
    if ((s[i] & 0xC0) != 0x80) return 0;
  if ((c == 0xE0 && s[1] < 0xA0) || (c == 0xED && s[1] > 0x9F) || (c == 0xF0 && s[1] < 0x90) || (c == 0xF4 && s[1] > 0x8F))
    return 0;
  return n;
}

}  // namespace

QString fromNativeBytes(QByteArrayView bytes) {
  QString text;
  text.reserve(bytes.size());
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = s + bytes.size();
  while (s < end) {
    const int n = utf8Length(s, end);
    if (n == 0) text += QChar(char16_t(0xDC00 + *s++));
    else text += QString::fromUtf8(reinterpret_cast<const char*>(s), n), s += n;
  }
  return text;
}

QByteArray toNativeBytes(QStringView text) {
  QByteArray bytes;
  bytes.reserve(text.size());
  qsizetype from = 0;  // start of the run of text not yet encoded
  for (qsizetype i = 0; i <= text.size(); ++i) {
    const bool kept = i < text.size() && text[i].unicode() >= 0xDC80 && text[i].unicode() <= 0xDCFF &&
                      (i == 0 || !text[i - 1].isHighSurrogate());
    if (i < text.size() && !kept) continue;
    bytes += text.sliced(from, i - from).toUtf8();
    if (kept) bytes += char(text[i].unicode() - 0xDC00);
    from = i + 1;
  }
  return bytes;
}

QStringList commandLineArguments(int argc, const char* const* argv) {
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << fromNativeBytes(argv[i]);
  return arguments;
}

QString strictNumber(const QString& text) {
  const QString number = trimBlanks(halfWidth(text)).toString();
  static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
  return digits.match(number).hasMatch() ? number : QString();
}

}  // namespace h7
