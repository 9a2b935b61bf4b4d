// Record fields and the output line of a record, on arbitrary bytes (invalid Shift-JIS,
// a lone lead byte at the end, NUL bytes, commas and quotation marks). The line lies in
// a heap block of its exact size, so a read past it stops the run. The output line must
// equal the one built by the plain rule: characters split one by one, codes quoted with
// inner quotation marks doubled, raw values quoted when they hold a comma, a quotation
// mark or a line feed, numerified values in canonical form, CR LF at the end.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <cstdio>
#include <cstdlib>

#include "core/numeric.h"
#include "core/sjis.h"
#include "extract/record.h"

// A failed check stops the program with a message; libFuzzer then keeps the input.
#define H7_FUZZ_CHECK(cond) \
  ((cond) ? void() : (std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond), std::abort()))

namespace {

// Small decisions taken off the front of the input; 0 once it is used up.
struct Input {
  const std::uint8_t *p, *end;
  std::uint8_t byte() { return p < end ? *p++ : 0; }
  std::string_view rest() const { return {reinterpret_cast<const char*>(p), std::size_t(end - p)}; }
};

// `count` characters from 1-based `position`, the line split character by character.
std::string plainChars(std::string_view line, std::size_t position, std::size_t count) {
  auto p = reinterpret_cast<const unsigned char*>(line.data());
  auto end = p + line.size();
  std::size_t index = 1;
  std::string out;
  while (p < end && index < position + count) {
    std::size_t n = h7::sjis::charLength(p, end);
    if (index >= position) out.append(reinterpret_cast<const char*>(p), n);
    p += n;
    ++index;
  }
  return out;
}

std::string plainQuoted(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    out.push_back(c);
    if (c == '"') out.push_back('"');
  }
  return out + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in{data, data + size};
  const bool numerify = in.byte() & 1;
  std::vector<int> positions(in.byte() % 8);
  for (int& p : positions) {
    p = in.byte();
    if (p >= 200) p = (in.byte() | in.byte() << 8) % 1401;
  }
  const std::string_view rest = in.rest();
  std::unique_ptr<char[]> exact(new char[rest.size()]);
  std::copy(rest.begin(), rest.end(), exact.get());
  const std::string_view line(exact.get(), rest.size());

  const h7::RecordLayout layout = h7::makeLayout(positions, numerify);
  h7::RecordView record;
  record.reset(line, layout.lastPosition);

  std::string expected = plainQuoted(plainChars(line, h7::kPrefecturePos, h7::kPrefectureLen)) + ',' +
                         plainQuoted(plainChars(line, h7::kMunicipalityPos, h7::kMunicipalityLen)) + ',' +
                         plainQuoted(plainChars(line, h7::kAreaPos, h7::kAreaLen));
  bool overflow = false;
  for (int p : positions) {
    const std::string field = plainChars(line, h7::fieldPosition(p), h7::kFieldWidth);
    H7_FUZZ_CHECK(record.chars(h7::fieldPosition(p), h7::kFieldWidth) == field);
    expected.push_back(',');
    if (numerify) {
      const double v = h7::numericValue(field);
      overflow = overflow || std::isinf(v);
      expected += h7::canonicalNumber(v);
    } else {
      const bool special = field.find_first_of(",\"\n") != std::string::npos;
      expected += special ? plainQuoted(field) : field;
    }
  }
  expected += "\r\n";

  h7::ByteBuffer buffer;
  buffer.push_back('x');  // a line goes behind what the buffer holds
  const bool ok = h7::appendRecordLine(buffer, record, layout);
  H7_FUZZ_CHECK(ok == !overflow);
  if (!ok) return 0;
  const std::string_view out = buffer.view();
  H7_FUZZ_CHECK(out[0] == 'x' && out.substr(1) == expected);
  return 0;
}
