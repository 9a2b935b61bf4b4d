#include "extract/csv.h"

namespace h7 {

void appendQuoted(ByteBuffer& out, std::string_view text) {
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

void appendRawValue(ByteBuffer& out, std::string_view field) {
  for (char c : field) {
    if (c == ',' || c == '"' || c == '\n' || c == '\r') {
      appendQuoted(out, field);
      return;
    }
  }
  out.append(field);
}

}  // namespace h7
