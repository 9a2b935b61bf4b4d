#include "extract/record.h"

#include <algorithm>

#include "core/numeric.h"

namespace h7 {

RecordLayout makeLayout(std::vector<int> positions, bool numerify, const Kernels& kernels) {
  RecordLayout layout;
  layout.numerify = numerify;
  layout.kernels = &kernels;
  layout.firstPosition = positions.empty() ? 0 : fieldPosition(*std::min_element(positions.begin(), positions.end()));
  for (int p : positions) {
    layout.lastPosition = std::max(layout.lastPosition, fieldPosition(p) + kFieldWidth - 1);
    const std::size_t offset = fieldPosition(p) - 1;
    if (!layout.runs.empty() && layout.runs.back().offset + kFieldWidth * layout.runs.back().count == offset)
      ++layout.runs.back().count;
    else
      layout.runs.push_back({offset, 1});
  }
  layout.positions = std::move(positions);
  return layout;
}

namespace {

void appendCodes(ByteBuffer& out, const RecordView& record, bool key) {
  if (key) {
    appendQuoted(out, record.chars(kKeyPos, kKeyLen));
    out.push_back(',');
  }
  appendQuoted(out, record.chars(kPrefecturePos, kPrefectureLen));
  out.push_back(',');
  appendQuoted(out, record.chars(kMunicipalityPos, kMunicipalityLen));
  out.push_back(',');
  appendQuoted(out, record.chars(kAreaPos, kAreaLen));
}

bool appendValue(ByteBuffer& out, std::string_view field, bool numerify) {
  out.push_back(',');
  if (numerify) return appendNumerified(out, field);
  appendRawValue(out, field);
  return true;
}

}  // namespace

bool appendLongLine(ByteBuffer& out, const RecordView& record, const RecordLayout& layout, std::size_t item) {
  const int position = layout.positions[item];
  appendCodes(out, record, layout.key);
  out.append(layout.longLabels[std::size_t(position)]);
  if (!appendValue(out, record.chars(fieldPosition(position), kFieldWidth), layout.numerify)) return false;
  out.append("\r\n", 2);
  return true;
}

bool appendRecordLine(ByteBuffer& out, const RecordView& record, const RecordLayout& layout) {
  if (!layout.longLabels.empty()) {
    for (std::size_t i = 0; i < layout.positions.size(); ++i)
      if (!appendLongLine(out, record, layout, i)) return false;
    return true;
  }
  appendCodes(out, record, layout.key);
  const std::string_view plain = record.plainPart();
  // The common case: every field lies where positions are byte offsets, and the kernels
  // write them through a pointer into room made beforehand. Raw values that need
  // quoting, and numerified values that overflow, go by the general rule below.
  if (record.plainFrom() <= layout.firstPosition && plain.size() >= layout.lastPosition) {
    const std::size_t perField = layout.numerify ? kCanonicalMax + 1 : kFieldWidth + 1;
    char* const start = out.room(layout.positions.size() * perField + 64);  // a vector store may reach past the last
    const Kernels& k = *layout.kernels;
    if (char* end = (layout.numerify ? k.numerifiedFields : k.rawFields)(start, plain.data(), layout.runs.data(),
                                                                          layout.runs.size())) {
      end[0] = '\r';
      end[1] = '\n';
      out.commit(end + 2);
      return true;
    }
  }
  for (int p : layout.positions)
    if (!appendValue(out, record.chars(fieldPosition(p), kFieldWidth), layout.numerify)) return false;
  out.append("\r\n", 2);
  return true;
}

}  // namespace h7
