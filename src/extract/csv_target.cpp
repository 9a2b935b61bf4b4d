#include "extract/csv_target.h"

#include <string_view>

#include "core/sjis.h"
#include "extract/chunks.h"
#include "extract/csv.h"
#include "extract/record_view.h"

namespace h7 {

namespace {

// The long form's labels: 項目番号, 項目名称, 値 (Shift-JIS).
constexpr std::string_view kLongLabels = ",\"\x8D\x80\x96\xDA\x94\xD4\x8D\x86\",\"\x8D\x80\x96\xDA\x96\xBC\x8F\xCC\",\"\x92\x6C\"";

}  // namespace

std::optional<Failure> CsvTarget::header(const NameTable& names, const std::vector<int>& positions) {
  if (in_.utf8 && in_.utf8Bom)
    if (auto failure = file_.write("\xEF\xBB\xBF", 3)) return failure;
  ByteBuffer header;
  if (in_.key) {
    appendQuoted(header, kKeyLabel);
    header.push_back(',');
  }
  for (const char* label : kCodeLabels) {  // in Shift-JIS, as the item names
    if (label != kCodeLabels[0]) header.push_back(',');
    appendQuoted(header, sjis::encode(QString::fromUtf8(label)).toStdString());
  }
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
