// The output line of a record, with every kernel the processor has, on arbitrary bytes (invalid Shift-JIS, a lone lead byte at
// the end, NUL bytes, commas and quotation marks) equals the plain rule's. The line lies
// in a heap block of its exact size, so a read past it stops the run.
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "support/record_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::uint8_t *p = data, *end = data + size;
  auto byte = [&] { return p < end ? *p++ : 0; };  // decisions taken off the front, 0 once used up
  const bool numerify = byte() & 1;
  std::vector<int> positions(byte() % 8);
  for (int& position : positions)
    if ((position = byte()) >= 200) position = (byte() | byte() << 8) % 1401;
  std::unique_ptr<char[]> exact(new char[std::size_t(end - p)]);
  std::copy(p, end, exact.get());
  const std::string_view line(exact.get(), std::size_t(end - p));
  const auto plain = h7test::plainRecordLine(line, positions, numerify);
  for (const h7::Kernels* kernels : h7::availableKernels())
    if (h7test::recordLine(line, positions, numerify, *kernels) != plain) {
      std::fprintf(stderr, "the record line (kernel %s) differs from the plain rule's\n", kernels->name());
      std::abort();  // libFuzzer keeps the input
    }
  return 0;
}
