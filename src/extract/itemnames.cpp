#include "extract/itemnames.h"

namespace h7 {

std::optional<QString> readNameTable(LineReader& lines, NameTable& table) {
  std::string_view line;
  while (lines.next(line)) {
    if (table.count + 1 >= kNameSlots) return outOfRange();
    if (line.size() > kMaxNameBytes) return nameTooLong();
    table.lines[std::size_t(++table.count)].assign(line);
  }
  return lines.error();
}

std::optional<QString> readNameFile(const QString& path, NameTable& table) {
  InputFile file;
  if (auto failure = file.open(resolveCaseInsensitive(path))) return failure;
  LineReader lines = nameReader(file);
  return readNameTable(lines, table);
}

}  // namespace h7
