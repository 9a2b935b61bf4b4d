// The one writer of output files, for both fillers: write(), and a library that makes the
// file at the temporary's path itself (SQLite, with its -journal beside it). The output is
// replaced on commit only; a link stays; a folder's bytes that are no UTF-8 are kept; the
// file-size limit is a full disk; SIGINT, SIGTERM and SIGHUP end the program as they would
// have, with no temporary left.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/command_line.h"
#include "extract/files.h"
#include "support/testutil.h"

namespace h7 {  // the fillers by name in the tests' names
void PrintTo(OutputFile::Filler f, std::ostream* os) { *os << (f == OutputFile::Filler::Writes ? "Writes" : "Database"); }
}  // namespace h7

namespace {

using Filler = h7::OutputFile::Filler;

// Fills the opened output: through write(), or as a library does, by its temporary's path.
std::optional<h7::Failure> fill(h7::OutputFile& out, Filler filler, const std::string& bytes) {
  if (filler == Filler::Writes) return out.write(bytes.data(), bytes.size());
  for (const std::string& name : {out.temporaryPath(), out.temporaryPath() + "-journal"}) {
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    const bool written = fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    if (fd >= 0) ::close(fd);
    if (!written) return out.spaceFailure().value_or(h7::msg::cannotWrite());
  }
  return std::nullopt;
}

class Writer : public ::testing::TestWithParam<Filler> {
 protected:
  // Temporaries (and their SQLite companions) in the scratch folder and the one below it.
  QStringList temporaries() const {
    QStringList found;
    for (const QString& folder : {dir.path(), dir.file(h7::fromNativeBytes(kTokyo))})
      h7::forEachName(folder, [&](std::string_view name) {
        if (name.starts_with(".h7tmp-")) found << QString::fromLatin1(name.data(), qsizetype(name.size()));
      });
    return found;
  }
  static constexpr const char* kTokyo = "\x93\x8c\x8b\x9e";  // 東京 in Shift-JIS: no UTF-8
  h7test::ScratchDir dir;
};

TEST_P(Writer, ReplacesOnCommitOnly) {
  const QByteArray tokyo = QFile::encodeName(dir.path()) + '/' + kTokyo;
  ASSERT_EQ(::mkdir(tokyo.constData(), 0700), 0);
  const std::string bytes(64 * 1024, 'x');
  const uid_t owner = ::geteuid() == 0 ? 65534 : ::geteuid();
  const struct {
    const char* what;
    std::function<QString()> prepare;  // the output's path
    rlim_t sizeLimit = RLIM_INFINITY;
  } cases[] = {
      {"a new file", [&] { return dir.file("new.csv"); }},
      {"a link", [&] {  // its file replaced, keeping its permissions and, where the process may set it, its owner
         dir.write("real.csv", "earlier");
         ::chmod(QFile::encodeName(dir.file("real.csv")).constData(), 0640);
         ::chown(QFile::encodeName(dir.file("real.csv")).constData(), owner, gid_t(-1));
         ::symlink("real.csv", QFile::encodeName(dir.file("link.csv")).constData());
         return dir.file("link.csv");
       }},
      {"a folder of Shift-JIS bytes", [&] { return h7::fromNativeBytes(tokyo + "/out.csv"); }},
      {"past the file-size limit", [&] {
         dir.write("out.csv", "earlier");
         return dir.file("out.csv");
       }, 16 * 1024},
  };
  for (const auto& c : cases) {
    const QString path = c.prepare();
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit{c.sizeLimit, saved.rlim_max};
    h7::OutputFile out;
    ASSERT_FALSE(out.open(path, GetParam())) << c.what;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::optional<h7::Failure> failure = fill(out, GetParam(), bytes);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    if (!failure) failure = out.commit();
    out.discard();
    EXPECT_EQ(h7test::described(failure),
              c.sizeLimit == RLIM_INFINITY ? QString() : h7::withPath(h7::msg::diskFull(), path).description) << c.what;
    struct stat st {};
    ASSERT_EQ(::stat(h7::toNativeBytes(path).constData(), &st), 0) << c.what;
    EXPECT_EQ(std::size_t(st.st_size), failure ? 7 : bytes.size()) << c.what;
    EXPECT_EQ(temporaries(), QStringList()) << c.what;
  }
  struct stat st {};
  ::stat(QFile::encodeName(dir.file("real.csv")).constData(), &st);
  EXPECT_EQ(std::tuple(QFileInfo(dir.file("link.csv")).isSymLink(), st.st_mode & 07777, st.st_uid), std::tuple(true, 0640u, owner));
}

// A child writes, then waits; the signal ends it as it would have (the shell's 128 + N).
TEST_P(Writer, SignalsRemoveTheTemporary) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    dir.write("out.csv", "earlier");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      for (int s : {SIGINT, SIGTERM, SIGHUP}) {  // as a terminal gives them (nohup would ignore SIGHUP)
        struct sigaction old {};
        if (::sigaction(s, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) ::signal(s, SIG_DFL);
      }
      h7::OutputFile out;
      if (out.open(dir.file("out.csv"), GetParam()) || fill(out, GetParam(), "partial")) ::_exit(1);
      [[maybe_unused]] const ssize_t told = ::write(ready[1], "!", 1);
      for (;;) ::pause();
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1) << signal;
    EXPECT_EQ(temporaries().size(), GetParam() == Filler::Writes ? 1 : 2) << signal;
    ::kill(child, signal);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(std::tuple(WIFSIGNALED(status), WTERMSIG(status)), std::tuple(true, signal));
    EXPECT_EQ(std::tuple(temporaries(), dir.bytes("out.csv")), std::tuple(QStringList(), std::string("earlier"))) << signal;
    ::close(ready[0]);
  }
}

INSTANTIATE_TEST_SUITE_P(Fillers, Writer, ::testing::Values(Filler::Writes, Filler::Database),
                         [](const auto& info) { return ::testing::PrintToString(info.param); });

}  // namespace
