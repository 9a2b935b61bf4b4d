// What the command-line suites share: a program of the build run with its arguments, and a
// scratch folder holding a small census data file.
#pragma once

#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

#include "support/testutil.h"

namespace h7test {

struct Ran {  // exit status, stdout, stderr
  int status;
  QByteArray out;
  QString err;
};

// Runs a program of the build (or the one at an absolute path); an argument with \xNN in it is
// given with those bytes (through bash's printf), so that a path that is no UTF-8 reaches the
// program as such.
inline Ran run(const QString& program, QStringList args, const QString& appendOutputTo = {}, const QStringList& environment = {}) {
  QProcess p;
  p.setEnvironment(QProcess::systemEnvironment() + environment);
  if (!appendOutputTo.isEmpty()) p.setStandardOutputFile(appendOutputTo, QIODevice::Append);
  args.prepend(program.startsWith('/') ? program : QStringLiteral(H7_BIN_DIR "/") + program);
  if (args.join(' ').contains("\\x")) p.start("bash", QStringList{"-c", "a=(); for x; do a+=(\"$(printf %b \"$x\")\"); done; exec \"${a[@]}\"", "bash"} + args);
  else p.start(args.takeFirst(), args);
  EXPECT_TRUE(p.waitForFinished(60000));
  return {p.exitCode(), p.readAllStandardOutput(), QString::fromUtf8(p.readAllStandardError())};
}

class H7ExtractTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(run("h7sample", {"--data", "--out=" + dir.path(), "--pref", "13", "--group", "1", "--records", "120"}).status, 0);
  }
  QStringList base(const QString& items) const {
    return {"--input", dir.path(), "--output", dir.file("out.csv"), "--pref", "13", "--group", "1", "--items", items};
  }
  // The arguments with the option's value replaced, or the option added.
  static QStringList with(QStringList args, const QString& option, const QString& value) {
    const qsizetype at = args.indexOf(option);
    if (at < 0) return args << option << value;
    args[at + 1] = value;
    return args;
  }
  h7test::ScratchDir dir;
};

}  // namespace h7test
