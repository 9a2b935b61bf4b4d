// The output line of a record by the plain rule, built one character at a time: the
// model that the record writer (fast paths included) is checked against, by a property
// test and by the record fuzz target.
#pragma once

#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/numeric.h"
#include "core/sjis.h"
#include "extract/record.h"

namespace h7test {

// `count` characters from 1-based `position`, the line split character by character.
inline std::string plainChars(std::string_view line, std::size_t position, std::size_t count) {
  auto p = reinterpret_cast<const unsigned char*>(line.data());
  const auto end = p + line.size();
  std::string out;
  for (std::size_t index = 1; p < end && index < position + count; ++index) {
    const std::size_t n = h7::sjis::charLength(p, end);
    if (index >= position) out.append(reinterpret_cast<const char*>(p), n);
    p += n;
  }
  return out;
}

inline std::string plainQuoted(const std::string& s) {
  std::string out = "\"";
  for (char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

// Codes quoted, raw values quoted when they hold a comma, a quotation mark, an LF or a
// CR, numerified values in canonical form, CR LF; empty when a value overflows.
inline std::optional<std::string> plainRecordLine(std::string_view line, const std::vector<int>& positions,
                                                  bool numerify) {
  std::string out = plainQuoted(plainChars(line, h7::kPrefecturePos, h7::kPrefectureLen)) + ',' +
                    plainQuoted(plainChars(line, h7::kMunicipalityPos, h7::kMunicipalityLen)) + ',' +
                    plainQuoted(plainChars(line, h7::kAreaPos, h7::kAreaLen));
  for (int p : positions) {
    const std::string field = plainChars(line, h7::fieldPosition(p), h7::kFieldWidth);
    const double v = h7::numericValue(field);
    if (numerify && std::isinf(v)) return std::nullopt;
    const bool special = field.find_first_of(",\"\n\r") != std::string::npos;
    out += ',' + (numerify ? h7::canonicalNumber(v) : special ? plainQuoted(field) : field);
  }
  return out + "\r\n";
}

// The record writer's line with these kernels, or empty when it reports an overflow.
inline std::optional<std::string> recordLine(std::string_view line, const std::vector<int>& positions, bool numerify,
                                             const h7::Kernels& kernels) {
  const h7::RecordLayout layout = h7::makeLayout(positions, numerify, kernels);
  h7::RecordView record(kernels);
  record.reset(line, layout.lastPosition);
  h7::ByteBuffer out;
  if (!h7::appendRecordLine(out, record, layout)) return std::nullopt;
  return std::string(out.view());
}

}  // namespace h7test
