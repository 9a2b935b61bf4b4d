// Command lines of h7extract and h7sample, read by QCommandLineParser ("--name value" and
// "--name=value"): the first argument it cannot take, said in the program's own words.
// Arguments and paths keep their bytes: a byte that is no part of a UTF-8 character (a
// Shift-JIS folder name from old media) stands as U+DC80 + byte in the text and becomes that
// byte again at the system call.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QCommandLineParser>
#include <QList>
#include <QStringList>
#include <QStringView>
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

// Text of the bytes of a path or argument: UTF-8, each other byte kept as U+DC80 + byte.
QString fromNativeBytes(QByteArrayView bytes);
// The bytes again: UTF-8, with U+DC80..U+DCFF standing alone as the byte it keeps.
QByteArray toNativeBytes(QStringView text);
// argv[1..] as text that keeps every byte.
QStringList commandLineArguments(int argc, const char* const* argv);

// One number of a command line, read alike by every option of every program: after the
// half-width conversion and trimming the blanks around it, digits only ("１３", " 13 ").
// Those digits, or null when it is anything else.
QString strictNumber(const QString& text);

}  // namespace h7
