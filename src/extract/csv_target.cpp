#include "extract/csv_target.h"

#include <string_view>

#include "core/sjis.h"
#include "extract/chunks.h"
#include "extract/csv.h"

namespace h7 {

namespace {

// Shift-JIS header labels: 県, 市区町村, 町丁･字等 (the dot is the half-width A5); the key's
// label in ASCII, for the tools that join on it; the long form's 項目番号, 項目名称, 値.
constexpr std::string_view kHeaderLabels =
    "\"\x8C\xA7\",\"\x8E\x73\x8B\xE6\x92\xAC\x91\xBA\",\"\x92\xAC\x92\x9A\xA5\x8E\x9A\x93\x99\"";
constexpr std::string_view kKeyLabel = "\"KEY_CODE\",";
constexpr std::string_view kLongLabels = ",\"\x8D\x80\x96\xDA\x94\xD4\x8D\x86\",\"\x8D\x80\x96\xDA\x96\xBC\x8F\xCC\",\"\x92\x6C\"";

}  // namespace

std::optional<Failure> CsvTarget::header(const NameTable& names, const std::vector<int>& positions) {
  if (in_.utf8 && in_.utf8Bom)
    if (auto failure = file_.write("\xEF\xBB\xBF", 3)) return failure;
  ByteBuffer header;
  if (in_.key) header.append(kKeyLabel);
  header.append(kHeaderLabels);
  if (in_.longForm) header.append(kLongLabels);
  else
    for (int p : positions) {
      header.push_back(',');
      appendQuoted(header, names.lines[std::size_t(p)]);
      if (header.size() >= Chunk::kPieceBytes) {  // many long names: written in pieces
        if (auto failure = write(header)) return failure;
        header.clear();
      }
    }
  header.append("\r\n", 2);
  return write(header);
}

std::optional<Failure> CsvTarget::write(const ByteBuffer& lines) {
  if (!in_.utf8) return file_.write(lines.data(), lines.size());
  // Re-encoded a slice at a time, so that the copies stay small. A slice ends after a byte
  // below 0x40, which is neither a lead nor a trail byte: no character is cut in two.
  constexpr std::size_t kSlice = 256 * 1024;
  for (std::string_view rest = lines.view(); !rest.empty();) {
    std::size_t end = std::min(rest.size(), kSlice);
    if (end < rest.size()) {
      while (end > 0 && static_cast<unsigned char>(rest[end - 1]) >= 0x40) --end;
      if (end == 0) end = rest.size();  // no such byte: the rest in one
    }
    const QByteArray utf8 = sjis::decode(rest.substr(0, end)).toUtf8();
    if (auto failure = file_.write(utf8.constData(), std::size_t(utf8.size()))) return failure;
    rest.remove_prefix(end);
  }
  return std::nullopt;
}

}  // namespace h7
