// File access for the run: POSIX descriptors with failures in the user's words, and an
// output that replaces the user's file only when the run completes. Paths keep their bytes
// (core/command_line.h: a byte that is no UTF-8 stands as U+DC80 + byte).
#pragma once

#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "core/folders.h"
#include "core/messages.h"

namespace h7 {

// The path itself when it exists; otherwise the one entry of its folder whose name
// matches ignoring case (files copied from CD-ROM images are often lower-case).
QString resolveCaseInsensitive(const QString& path);
// True when the path names an existing file or folder (links followed).
bool fileExists(const QString& path);
// The folder part and the name part of a native path ("." for a bare name).
std::pair<std::string, std::string> splitPath(const std::string& path);
// The file a path names: symbolic links followed to the end, a dangling one to the name it
// points to. 0, or the errno that stopped it.
int followLinks(std::string& path);

// A source of bytes read in blocks at given offsets; readAt returns the count, 0 at the
// end, -1 on failure. A source of unknown size (-1) is read once, in order, from 0 on.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::ptrdiff_t readAt(long long offset, char* buffer, std::size_t size) = 0;
  virtual long long size() const { return -1; }
  virtual Failure readFailure() const { return msg::deviceError(); }
  // Whether the file read changed since it was opened (records may be lost).
  virtual bool changedSinceOpened() const { return false; }
  // Progress in bytes of the file as stored: its whole size (0: unknown), and how far the
  // reading up to `offset` has come (an archive member counts its archive's bytes).
  virtual long long storedSize() const { return std::max(0LL, size()); }
  virtual long long storedBytesAt(long long offset) const { return offset; }
};

// The first bytes of a source that can be read only once, in order, kept so that they can
// be read again after a look at how its lines end (lineEndOf).
class ReplayedHead {
 public:
  // The bytes at `offset`: again from what was kept, or the next ones from `readOn(buffer, size)`.
  template <class ReadOn>
  std::ptrdiff_t readAt(long long offset, char* buffer, std::size_t size, ReadOn&& readOn) {
    if (std::size_t(offset) < head_.size()) {  // read again
      readingAgain_ = true;
      const std::size_t n = std::min(size, head_.size() - std::size_t(offset));
      std::memcpy(buffer, head_.data() + offset, n);
      return std::ptrdiff_t(n);
    }
    if (readingAgain_ && !head_.empty()) std::string().swap(head_);  // read again to its end: not needed any more
    const std::ptrdiff_t n = readOn(buffer, size);
    if (n > 0 && !readingAgain_ && std::size_t(offset) < kHeadBytes && std::size_t(offset) == head_.size())
      head_.append(buffer, std::min(std::size_t(n), kHeadBytes - head_.size()));
    return n;
  }
  void clear() { head_.clear(), readingAgain_ = false; }

 private:
  static constexpr std::size_t kHeadBytes = 16 << 20;  // as far as the look at the line ends goes
  std::string head_;
  bool readingAgain_ = false;
};

class InputFile final : public ByteSource {
 public:
  InputFile() = default;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile() override { close(); }

  // Opens a regular file for reading.
  std::optional<Failure> open(const QString& path);
  // Reads at the offset in a regular file; anything else is read in order.
  std::ptrdiff_t readAt(long long offset, char* buffer, std::size_t size) override;
  Failure readFailure() const override { return errnoFailure(lastError_); }
  long long size() const override { return size_; }  // -1 for anything but a regular file
  // Whether a regular file's size or modification time differs from when it was opened.
  bool changedSinceOpened() const override;
  void close();
  int descriptor() const { return fd_; }

 private:
  int fd_ = -1;
  int lastError_ = 0;
  long long size_ = -1;
  long long modified_ = 0;  // nanoseconds
  ReplayedHead head_;  // of a source read in order
};

// The one writer of every output file (the run's CSV and GeoPackage, h7sample's files). A
// regular file (existing or new) is written to a temporary file beside it and moved over it
// by commit(); a device or pipe is written directly. A symbolic link stays: the file it names
// is replaced, keeping its permissions and, where the process may set them, its owner and
// group. Destroying it without commit() removes the temporary file and leaves the path as it
// was; so do SIGINT, SIGTERM and SIGHUP, which then end the program as they would have (the
// shell's status 128 + N). SIGXFSZ is ignored, so that a write past the file-size limit fails
// like a full disk. Paths keep their bytes from the command line to the system calls.
class OutputFile {
 public:
  // Who fills the temporary: write() (Writes), or a library that creates the file itself at
  // temporaryPath() (Database: SQLite, whose -journal, -wal and -shm files beside it count
  // as temporaries too).
  enum class Filler { Writes, Database };

  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile() { discard(); }

  // Checks the path (not empty, folder present, not a folder, not read-only) and opens.
  // First the folder loses the temporaries of this user's runs on this host whose process
  // is gone (a run killed with SIGKILL cannot tidy up); every other file stays. A Database
  // output must be a file to replace or make.
  std::optional<Failure> open(const QString& path, Filler filler = Filler::Writes);
  // Writes to a copy of an open descriptor (standard output, say) instead.
  std::optional<Failure> adopt(int descriptor);
  std::optional<Failure> write(const char* data, std::size_t size);
  std::optional<Failure> commit();
  void discard();

  // The temporary's path for a Database filler (the bytes the system calls take); empty
  // when there is none.
  std::string temporaryPath() const;
  // Why another library's write to the temporary failed, where the writer can tell: the
  // file-size limit reached or no room left on the file system give the full disk.
  std::optional<Failure> spaceFailure() const;

 private:
  Failure failed(int error) const;  // the errno's failure, naming the output
  void keepOwnerAndMode() const;  // of the file replaced, on the temporary

  int fd_ = -1;
  int folder_ = -1;     // the folder of the file replaced
  std::string folderPath_;  // its path
  std::string name_;    // that file's name in it (links followed)
  std::string temp_;    // the temporary file's name there, empty when writing directly
  QString path_;        // the output as the user named it, for messages
  int pending_ = -1;    // the temporary's place in the list that the signal handler removes
  bool database_ = false;
  bool replacing_ = false;  // a file is replaced: its owner, group and permissions below
  unsigned owner_ = 0, group_ = 0, mode_ = 0;
};

// Refuses an output that would replace a census data file or an item-name file: one whose
// name, or the name of the file its link points to, is such a file's (H7S<NN>S<G>.DAT,
// NAMEH7S<G>.CCC, any letter case, with or without a compression suffix), or that is the same file as one of `inputs` or as any
// such file in `folders`, used by this run or not. With a descriptor (0 or more) the file
// open on it is checked instead (standard output appending to a census file).
std::optional<Failure> refuseOutputOverInputs(const QString& output, int descriptor, const QStringList& inputs,
                                              const QStringList& folders);

// The temporary file a run of process `pid` on this host writes for the output `fileName`:
// ".h7tmp-HASH-HOST-PID-N", HASH eight hex digits of the name, HOST at most 20 bytes; at
// most 64 bytes in all, whatever the name.
QString temporaryName(const QString& fileName, long long pid, unsigned serial);

}  // namespace h7
