// Command lines of h7extract and h7sample, read by QCommandLineParser ("--name value" and
// "--name=value"): the first argument it cannot take, and why, so that each program can
// say it in its own words.
#pragma once

#include <QCommandLineParser>
#include <QList>
#include <QStringList>
#include <optional>

namespace h7 {

struct ArgumentProblem {
  enum Kind { Unknown, MissingValue, Stray } kind;  // Stray: an argument that is no option
  QString argument;  // as typed
};

// Adds the options to the parser and reads the arguments (program name excluded); every
// argument after "--" is a stray one.
std::optional<ArgumentProblem> readCommandLine(QCommandLineParser& parser, const QList<QCommandLineOption>& options,
                                               const QStringList& arguments);

}  // namespace h7
