// Half-width conversion and widening on arbitrary UTF-16 (unpaired surrogates included):
// both are idempotent, widening changes width only (its half-width form is that of the
// text), and neither grows the text beyond what one character can become.
#include <QString>

#include "common/halfwidth.h"
#include "fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  h7fuzz::Input in(data, size);
  QString text;
  for (std::size_t i = 0; i + 1 < size; i += 2) text.append(QChar(char16_t(in.word())));

  const QString half = h7::halfWidth(text);
  H7_FUZZ_CHECK(half.size() <= 2 * text.size());
  H7_FUZZ_CHECK(h7::halfWidth(half) == half);

  const QString wide = h7::widen(text);
  H7_FUZZ_CHECK(wide.size() <= text.size());
  H7_FUZZ_CHECK(h7::widen(wide) == wide);
  H7_FUZZ_CHECK(h7::halfWidth(wide) == half);
  return 0;
}
