// Record lines: random lines against the plain rule (values quoted where needed, numerified
// values in canonical form, characters counted by position), and numbers they seldom hold.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "core/numeric.h"
#include "extract/kernels/choice.h"
#include "extract/record.h"
#include "support/record_model.h"
#include "support/testutil.h"

using h7test::sjis;

namespace {

// Under H7_KERNEL (ctest runs this program once per kernel): every test skipped where
// the processor lacks that kernel.
class KernelNamed : public testing::Environment {
  void SetUp() override {
    if (!h7::chooseKernels()) GTEST_SKIP() << "H7_KERNEL names a kernel this processor lacks";
  }
};
const auto* const kKernelNamed = testing::AddGlobalTestEnvironment(new KernelNamed);

// H7_KERNEL: a kernel's name in any letter case, blanks around it ignored; a name of no
// kernel and a kernel the processor lacks refused (exit status 2), each in its own words.
TEST(Kernels, ChosenByH7Kernel) {
  const h7::Kernels& active = h7::activeKernels();  // chosen before the variable changes below
  const std::optional<QByteArray> before =
      qEnvironmentVariableIsSet("H7_KERNEL") ? std::optional(qgetenv("H7_KERNEL")) : std::nullopt;
  const QString all = QStringLiteral("scalar, avx2, avx512");
  QStringList usable;
  for (const h7::Kernels* k : h7::availableKernels()) usable << k->name();
  const h7::Kernels* avx2 = h7::kernelsFor(h7::KernelId::Avx2);
  const QString noAvx2 = h7::msg::badKernel(" AVX2", usable.join(", ")).description;
  const struct {
    const char* value;
    const h7::Kernels* chosen;  // null: refused
    QString failure = {};
  } cases[] = {
      {"", h7::availableKernels().front()},
      {"   ", h7::availableKernels().front()},
      {"scalar", h7::kernelsFor(h7::KernelId::Scalar)},
      {" Scalar\t", nullptr, h7::msg::unknownKernel(" Scalar\\x09", all).description},  // blanks only; a tab shown
      {"SCALAR  ", h7::kernelsFor(h7::KernelId::Scalar)},
      {" AVX2", avx2, avx2 ? QString() : noAvx2},
      {"bogus", nullptr, h7::msg::unknownKernel("bogus", all).description},
      {"avx 2", nullptr, h7::msg::unknownKernel("avx 2", all).description},
      {"avx1024", nullptr, h7::msg::unknownKernel("avx1024", all).description},
  };
  for (const auto& c : cases) {
    qputenv("H7_KERNEL", c.value);
    const h7::Result<const h7::Kernels*> chosen = h7::chooseKernels();
    EXPECT_EQ(chosen ? *chosen : nullptr, c.chosen) << c.value;
    if (!chosen) {
      EXPECT_EQ(std::pair(chosen.failure().description, h7::exitStatus(chosen.failure())), std::pair(c.failure, 2)) << c.value;
    }
  }
  before ? qputenv("H7_KERNEL", *before) : qunsetenv("H7_KERNEL");
  EXPECT_EQ(&h7::activeKernels(), &active);
}

// Numbers the random lines below seldom hold: exponents, hexadecimal, long ones, a byte
// before the digits, an overflow.
TEST(Record, NumerifiedValues) {
  const std::pair<std::string, std::string> numbers[] = {
      {"    1D+015", "1E+15"}, {"   0.00001", "1E-05"}, {"      &H1F", "31"}, {"123456789012345678", "1.23456789012346E+17"},
      {"     \xA2" "3234", "0"}, {h7test::sjis("　　　　秘匿"), "0"}};
  for (const auto& [field, expected] : numbers) {
    h7::ByteBuffer out;
    const bool made = h7::appendNumerified(out, field);
    EXPECT_EQ(std::pair(made, std::string(out.view())), std::pair(true, std::string(expected))) << field;
  }
  h7::ByteBuffer out;
  EXPECT_FALSE(h7::appendNumerified(out, "    1E400"));
}

// Random lines give the plain rule's line, fast paths and all: right-aligned numbers,
// decimals, double-byte characters (in front of the fields or among them) and lone lead
// bytes, commas, quotation marks, LF and CR bytes, lines cut short; runs of neighbouring items
// as well as scattered ones; with every kernel the processor has; from a fixed seed.
TEST(Record, RandomLinesAsThePlainRule) {
  const std::string kinds[] = {" 0123456789.-+EDe&H000009", "0123456789 \x82\x93\x8A\xA5", ",\"\n\r Xx", "\x81\x40\xE0\xFC\x7F\0"};
  std::mt19937 rng(42);
  auto field = [&](bool numbers) -> std::string {  // ten bytes, most of them near what census files hold
    if (numbers && rng() % 12 == 0) return std::string(9, ' ') + " X-"[rng() % 3];  // blank, suppressed, zero
    const int kind = numbers ? 5 + 2 * int(rng() % 2) : int(rng() % 8);
    if (kind >= 4) {  // a right-aligned whole number or decimal, often a small one, now and then one byte off
      const long x = kind == 7 ? long(rng() % 3) - 1 : long(rng() % 2000000) - 1000000;
      std::string v = kind % 2 ? std::to_string(x) : std::to_string(x / 100) + '.' + std::to_string(std::labs(x % 100) + 100).substr(1);
      if (rng() % 8 == 0) v = "0" + v;
      if (rng() % 8 == 0) v[rng() % v.size()] = ".-0 "[rng() % 4];
      return std::string(10 - v.size(), ' ') + v;
    }
    std::string f;
    for (int k = 0; k < 10; ++k) f += rng() % 3 ? kinds[kind][rng() % kinds[kind].size()] : ' ';
    return f;
  };
  const std::string name = sjis("本町１丁目");
  for (int i = 0; i < 50000; ++i) {
    std::string line = i % 4 ? "" : name;  // an area name in front shifts the fields
    const bool numbers = i % 3 == 0;        // whole numbers only, the most common line
    for (std::size_t n = rng() % 220; line.size() < n;) line += rng() % 16 ? field(numbers) : std::string(1, char(rng() % 3 ? ' ' : '\x88'));
    if (rng() % 3 == 0) line.resize(std::min(line.size(), std::size_t(rng() % 220)));
    std::vector<int> positions(rng() % 8);
    const int from = int(rng() % 4), step = rng() % 2 ? 1 : 1 + int(rng() % 3);
    for (std::size_t k = 0; k < positions.size(); ++k) positions[k] = rng() % 3 ? from + int(k) * step : int(rng() % 16);
    for (const h7::Kernels* kernels : h7::availableKernels())
      for (bool numerify : {false, true})
        ASSERT_EQ(h7test::recordLine(line, positions, numerify, *kernels), h7test::plainRecordLine(line, positions, numerify))
            << testing::PrintToString(line) << " kernel " << kernels->name();
  }
}

}  // namespace
