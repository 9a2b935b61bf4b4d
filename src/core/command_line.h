// Command lines of h7extract and h7sample, read by QCommandLineParser ("--name value" and
// "--name=value"): the first argument it cannot take, said in the program's own words.
#pragma once

#include <QCommandLineParser>
#include <QList>
#include <QStringList>
#include <optional>

#include "core/messages.h"

namespace h7 {

// How a program words the ways its command line can fail, each text given the argument.
struct ArgumentTexts {
  Failure (*unknown)(const QString& argument);   // an option it does not know
  Failure (*missingValue)(const QString& option);  // the last option, without its value
  Failure (*stray)(const QString& argument);     // an argument that is no option (any after "--")
};

// Adds the options to the parser and reads the arguments (program name excluded); the
// usage failure of the first argument it cannot take.
std::optional<Failure> readCommandLine(QCommandLineParser& parser, const QList<QCommandLineOption>& options,
                                       const QStringList& arguments, const ArgumentTexts& texts);

}  // namespace h7
