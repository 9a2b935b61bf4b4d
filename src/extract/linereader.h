// Lines of a text file read in large blocks: CR LF and CR end a line, LF alone does not;
// a last line without an end counts; no empty line follows a final line end.
#pragma once

#include <QString>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "extract/fileio.h"

namespace h7 {

class LineReader {
 public:
  static constexpr std::size_t kDefaultBlock = std::size_t(1) << 20;
  static constexpr std::size_t kKeepAll = std::size_t(-1);

  // `keep`: bytes of a line that are kept; a longer line is still scanned for its end,
  // but only its first `keep` bytes are returned (bounded memory on malformed files).
  explicit LineReader(ByteSource& source, std::size_t keep = kKeepAll, std::size_t block = kDefaultBlock);

  // The next line without its end, valid until the next call; false at the end of the
  // file or on a read failure (then error() has the description).
  bool next(std::string_view& line);
  const std::optional<QString>& error() const { return error_; }

 private:
  bool fill();  // reads more behind end_; false at end of file or on failure
  bool skipRestOfLongLine(std::string_view& line);

  ByteSource& source_;
  std::size_t keep_;
  std::vector<char> buf_;
  std::size_t begin_ = 0, end_ = 0;
  bool eof_ = false;
  bool afterCr_ = false;  // the last line ended with CR: a LF right behind it belongs to it
  std::string longLine_;
  std::optional<QString> error_;
};

}  // namespace h7
