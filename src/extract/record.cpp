#include "extract/record.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/numeric.h"
#include "common/sjis.h"

namespace h7 {

void RecordView::reset(std::string_view line, std::size_t lastPosition) {
  line_ = line;
  std::string_view head = line.substr(0, std::min(line.size(), lastPosition));
  singleByte_ = sjis::isSingleByte(head);
  if (singleByte_) return;
  offsets_.clear();
  auto p = reinterpret_cast<const unsigned char*>(line.data());
  auto end = p + line.size();
  const unsigned char* at = p;
  while (at < end && offsets_.size() < lastPosition) {
    offsets_.push_back(std::size_t(at - p));
    at += sjis::charLength(at, end);
  }
  chars_ = offsets_.size();
  offsets_.push_back(std::size_t(at - p));
}

std::string_view RecordView::chars(std::size_t position, std::size_t count) const {
  std::size_t first = position - 1;
  if (singleByte_) return first < line_.size() ? line_.substr(first, count) : std::string_view();
  if (first >= chars_) return {};
  std::size_t last = std::min(first + count, chars_);
  return line_.substr(offsets_[first], offsets_[last] - offsets_[first]);
}

void appendQuoted(std::string& out, std::string_view text) {
  out.push_back('"');
  // Neither '"' nor ',' can be the second byte of a Shift-JIS character.
  while (true) {
    std::size_t q = text.find('"');
    if (q == std::string_view::npos) break;
    out.append(text.data(), q + 1);
    out.push_back('"');
    text.remove_prefix(q + 1);
  }
  out.append(text);
  out.push_back('"');
}

void appendRawValue(std::string& out, std::string_view field) {
  for (char c : field) {
    if (c == ',' || c == '"' || c == '\n') {
      appendQuoted(out, field);
      return;
    }
  }
  out.append(field);
}

namespace {
// Blanks, an optional minus sign and up to 15 significant digits: written without a
// detour through floating point.
bool appendPlainInteger(std::string& out, std::string_view f) {
  char digits[16];
  int count = 0;
  bool negative = false, any = false;
  std::size_t i = 0, n = f.size();
  while (i < n && f[i] == ' ') ++i;
  if (i < n && f[i] == '-') {
    negative = true;
    ++i;
  }
  for (; i < n; ++i) {
    char c = f[i];
    if (c == ' ') continue;
    if (c < '0' || c > '9') return false;
    any = true;
    if (count == 0 && c == '0') continue;
    if (count == 15) return false;
    digits[count++] = c;
  }
  if (!any) return false;
  if (count == 0) {
    out.push_back('0');
    return true;
  }
  if (negative) out.push_back('-');
  out.append(digits, std::size_t(count));
  return true;
}
}  // namespace

bool appendNumerified(std::string& out, std::string_view field) {
  if (appendPlainInteger(out, field)) return true;
  double v = numericValue(field);
  if (std::isinf(v)) return false;
  appendCanonical(out, v);
  return true;
}

RecordLayout makeLayout(std::vector<int> positions, bool numerify) {
  RecordLayout layout;
  layout.numerify = numerify;
  for (int p : positions) layout.lastPosition = std::max(layout.lastPosition, fieldPosition(p) + kFieldWidth - 1);
  layout.positions = std::move(positions);
  return layout;
}

bool appendRecordLine(std::string& out, const RecordView& record, const RecordLayout& layout) {
  appendQuoted(out, record.chars(kPrefecturePos, kPrefectureLen));
  out.push_back(',');
  appendQuoted(out, record.chars(kMunicipalityPos, kMunicipalityLen));
  out.push_back(',');
  appendQuoted(out, record.chars(kAreaPos, kAreaLen));
  for (int p : layout.positions) {
    out.push_back(',');
    std::string_view field = record.chars(fieldPosition(p), kFieldWidth);
    if (!layout.numerify) {
      appendRawValue(out, field);
    } else if (!appendNumerified(out, field)) {
      return false;
    }
  }
  out.append("\r\n", 2);
  return true;
}

}  // namespace h7
