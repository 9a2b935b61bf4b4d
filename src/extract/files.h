// File access for the run: POSIX descriptors with failures in the user's words, and an
// output that replaces the user's file only when the run completes.
#pragma once

#include <QString>
#include <cstddef>
#include <optional>
#include <string>

#include "core/messages.h"

namespace h7 {

// The path itself when it exists; otherwise the one entry of its folder whose name
// matches ignoring case (files copied from CD-ROM images are often lower-case).
QString resolveCaseInsensitive(const QString& path);

// A source of bytes read in blocks at given offsets; readAt returns the count, 0 at the
// end, -1 on failure. A source of unknown size (-1) is read once, in order, from 0 on.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::ptrdiff_t readAt(long long offset, char* buffer, std::size_t size) = 0;
  virtual long long size() const { return -1; }
  virtual Failure readFailure() const { return msg::deviceError(); }
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
  void close();

 private:
  int fd_ = -1;
  int lastError_ = 0;
  long long size_ = -1;
  // Of a source read in order: its first bytes, kept so that they can be read again
  // after a look at how its lines end.
  std::string head_;
};

// The output of a run. A regular file (existing or new) is written to a temporary file
// beside it and moved over it by commit(); a device or pipe is written directly.
// Destroying it without commit() removes the temporary file and leaves the path as it was.
class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile() { discard(); }

  // Checks the path (not empty, folder present, not a folder, not read-only) and opens.
  std::optional<Failure> open(const QString& path);
  // Writes to a copy of an open descriptor (standard output, say) instead.
  std::optional<Failure> adopt(int descriptor);
  std::optional<Failure> write(const char* data, std::size_t size);
  std::optional<Failure> commit();
  void discard();

 private:
  int fd_ = -1;
  std::string target_;  // native path of the output
  std::string temp_;    // native path of the temporary file, empty when writing directly
};

// True when both paths name the same existing file.
bool sameFile(const QString& a, const QString& b);

// The temporary file a run of process `pid` on this host writes for the output `fileName`:
// ".NAME.h7tmp-HOST-PID-N".
QString temporaryName(const QString& fileName, long long pid, unsigned serial);
// Removes from `folder` the temporary files of runs on this host whose process is gone
// (a run killed mid-way cannot tidy up); every other file stays.
void removeStaleTemporaries(const QString& folder);

}  // namespace h7
