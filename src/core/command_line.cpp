#include "core/command_line.h"

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
