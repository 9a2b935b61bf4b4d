// Helpers of the fault tests: child processes started with fork and exec (optionally as
// the user nobody, or under a file-size limit) whose exit, output and peak memory are
// collected with wait4; a small tmpfs mounted for a full disk; a file-size limit for the
// test process itself.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace h7test {

inline std::string native(const QString& path) { return QFile::encodeName(path).toStdString(); }

struct ChildSetup {
  bool asNobody = false;                 // through setpriv: user nobody, group nogroup, no other groups
  rlim_t fileSizeLimit = RLIM_INFINITY;  // RLIMIT_FSIZE, with SIGXFSZ ignored: writes past it fail with EFBIG
};

struct ChildEnd {
  int exitCode = -1;  // -1 when a signal ended it
  int signal = 0;
  long maxRssKib = 0;
  std::string out, err;
};

// A program running in a child process; stdout and stderr go to files in `logFolder`.
class Child {
 public:
  Child(std::vector<std::string> argv, const ChildSetup& setup, const QString& logFolder)
      : outPath_(native(logFolder) + "/child.out"), errPath_(native(logFolder) + "/child.err") {
    if (setup.asNobody)
      argv.insert(argv.begin(), {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    // Leak suppressions name a file nobody may not reach; the run needs none.
    std::vector<char*> env;
    for (char** e = environ; *e; ++e)
      if (!setup.asNobody || std::strncmp(*e, "LSAN_OPTIONS=", 13) != 0) env.push_back(*e);
    env.push_back(nullptr);
    const int out = ::open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int err = ::open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    pid_ = ::fork();
    if (pid_ == 0) {  // only async-signal-safe calls from here on
      ::dup2(out, 1);
      ::dup2(err, 2);
      if (setup.fileSizeLimit != RLIM_INFINITY) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{setup.fileSizeLimit, setup.fileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
      }
      ::execvpe(args[0], args.data(), env.data());
      ::_exit(127);
    }
    ::close(out);
    ::close(err);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (pid_ > 0 && !ended_) {
      ::kill(pid_, SIGKILL);
      wait();
    }
  }

  pid_t pid() const { return pid_; }
  // Still running (not ended, or ended but not yet waited for: checked without reaping).
  bool running() const {
    if (ended_) return false;
    siginfo_t info{};
    if (::waitid(P_PID, id_t(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0) return false;
    return info.si_pid == 0;
  }

  ChildEnd wait() {
    ChildEnd end;
    int status = 0;
    rusage usage{};
    while (::wait4(pid_, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    ended_ = true;
    if (WIFEXITED(status)) end.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) end.signal = WTERMSIG(status);
    end.maxRssKib = usage.ru_maxrss;
    end.out = slurp(outPath_);
    end.err = slurp(errPath_);
    return end;
  }

 private:
  static std::string slurp(const std::string& path) {
    QFile f(QFile::decodeName(path.c_str()));
    if (!f.open(QIODevice::ReadOnly)) return {};
    QByteArray all = f.readAll();
    return std::string(all.constData(), std::size_t(all.size()));
  }

  std::string outPath_, errPath_;
  pid_t pid_ = -1;
  bool ended_ = false;
};

inline ChildEnd runChild(const std::vector<std::string>& argv, const ChildSetup& setup, const QString& logFolder) {
  Child child(argv, setup, logFolder);
  return child.wait();
}

// A tmpfs of `bytes` mounted on `folder` (created) while this lives; mounted() is false
// where mounting is not permitted (not root, or no mount namespace of our own).
class SmallFilesystem {
 public:
  SmallFilesystem(const QString& folder, std::size_t bytes) : path_(native(folder)) {
    QDir().mkpath(folder);
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (::mount("h7test", path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0) mounted_ = true;
    else error_ = std::strerror(errno);
  }
  SmallFilesystem(const SmallFilesystem&) = delete;
  SmallFilesystem& operator=(const SmallFilesystem&) = delete;
  ~SmallFilesystem() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  const std::string& error() const { return error_; }

 private:
  std::string path_;
  bool mounted_ = false;
  std::string error_;
};

// A limit on the size of the files this process writes, while this lives: a write past it
// fails with EFBIG (SIGXFSZ ignored). Files under the limit, and pipes, are not affected.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    savedHandler_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{bytes, saved_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, savedHandler_);
  }

 private:
  rlimit saved_{};
  sighandler_t savedHandler_ = SIG_DFL;
};

// Removes everything inside `folder` (not the folder itself), so a table case starts afresh.
inline void emptyFolder(const QString& folder) {
  const auto entries = QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  for (const QFileInfo& e : entries) {
    if (e.isDir() && !e.isSymLink()) QDir(e.filePath()).removeRecursively();
    else QFile::remove(e.filePath());
  }
}

// Files of `folder` whose names hold "h7tmp": temporary outputs left behind.
inline QStringList leftoverTemporaries(const QString& folder) {
  return QDir(folder).entryList({QStringLiteral("*h7tmp*")}, QDir::Files | QDir::Hidden | QDir::System);
}

// True when the build is instrumented by AddressSanitizer (its shadow memory counts in RSS).
constexpr bool kAddressSanitizer =
#if defined(__SANITIZE_ADDRESS__)
    true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    true;
#else
    false;
#endif
#else
    false;
#endif

}  // namespace h7test
