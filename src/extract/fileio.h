// File access for the run: POSIX descriptors with failures described in Japanese, and
// an output that replaces the user's file only when the run completes.
#pragma once

#include <QString>
#include <cstddef>
#include <optional>
#include <string>

namespace h7 {

// Japanese description of an errno value; `writing` picks the wording for permissions.
QString describeErrno(int error, bool writing = false);

inline QString fileNotFound() { return QStringLiteral("ファイルが見つかりません。"); }
inline QString pathNotFound() { return QStringLiteral("パスが見つかりません。"); }
inline QString badPathName() { return QStringLiteral("パス名が無効です。"); }
inline QString outOfRange() { return QStringLiteral("インデックスが有効範囲にありません。"); }
inline QString sameAsInput() { return QStringLiteral("出力ファイルが入力ファイルと同じです"); }

// A failure description followed by the path it concerns, so that the user sees which
// folder was looked in: "ファイルが見つかりません。 (/usr/lib/h7select/NAMEH7S1.CCC)".
QString withPath(const QString& description, const QString& path);

// The path itself when it exists; otherwise the one entry of its folder whose name
// matches ignoring case (files copied from CD-ROM images are often lower-case).
QString resolveCaseInsensitive(const QString& path);

// A source of bytes read in blocks; read returns the count, 0 at the end, -1 on failure.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::ptrdiff_t read(char* buffer, std::size_t size) = 0;
  virtual QString errorDescription() const { return describeErrno(5); }
};

class InputFile final : public ByteSource {
 public:
  InputFile() = default;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile() override { close(); }

  // Opens a regular file for reading; on failure returns the description.
  std::optional<QString> open(const QString& path);
  std::ptrdiff_t read(char* buffer, std::size_t size) override;
  QString errorDescription() const override { return describeErrno(lastError_); }
  long long size() const { return size_; }
  void close();
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
  int lastError_ = 0;
  long long size_ = 0;
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
  std::optional<QString> open(const QString& path);
  std::optional<QString> write(const char* data, std::size_t size);
  std::optional<QString> commit();
  void discard();

 private:
  int fd_ = -1;
  std::string target_;  // native path of the output
  std::string temp_;    // native path of the temporary file, empty when writing directly
};

// True when both paths name the same existing file.
bool sameFile(const QString& a, const QString& b);

}  // namespace h7
