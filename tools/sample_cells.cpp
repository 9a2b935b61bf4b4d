#include "sample_cells.h"

#include <cstring>
#include <string_view>

#include "sample_names.h"

namespace {

constexpr std::uint64_t kPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};

// Right-aligned integer with blanks on the left; a value 0 is written "0".
void putInt(char* p, std::uint64_t v, bool negative) {
  std::memset(p, ' ', kFieldWidth);
  char* q = p + kFieldWidth;
  do *--q = char('0' + v % 10), v /= 10;
  while (v);
  if (negative) *--q = '-';
}

// Right-aligned v / 10^decimals, written with exactly that many decimals: 125,1 -> "12.5".
void putDecimal(char* p, std::uint64_t v, int decimals, bool negative) {
  std::memset(p, ' ', kFieldWidth);
  char* q = p + kFieldWidth;
  for (int i = 0; i < decimals; ++i) *--q = char('0' + v % 10), v /= 10;
  *--q = '.';
  do *--q = char('0' + v % 10), v /= 10;
  while (v);
  if (negative) *--q = '-';
}

void putRight(char* p, std::string_view text) {
  std::memset(p, ' ', kFieldWidth);
  std::memcpy(p + kFieldWidth - text.size(), text.data(), text.size());
}

// The harsh mix: suppressed, zero and empty cells, the rest whole numbers.
void putHarsh(char* p, std::uint64_t bits, int suppressed) {
  if (bits % 10000 < std::uint64_t(suppressed) * 100) {
    const unsigned which = unsigned(bits >> 32) % 3;
    if (which == 0) std::memset(p, ' ', kFieldWidth);
    else putRight(p, which == 1 ? "X" : "-");
  } else if ((bits >> 20) % 32 == 0) {  // now and then a decimal
    putDecimal(p, (bits >> 32) % 100000, 1 + int(bits >> 62) % 2, false);
  } else {  // 1 to 7 digits
    putInt(p, (bits >> 32) % kPow10[1 + (bits >> 24) % 7], false);
  }
}

}  // namespace

std::vector<Column> columnsOf(const h7::TabulationGroup& g, SplitMix64& rng) {
  std::vector<Column> columns;
  for (const QString& n : itemNames(g)) {
    Column c{Kind::Count, std::uint8_t(1 + rng.below(4))};
    if (n.contains(QStringLiteral("割合")) || n.contains(u'率') || n.contains(QStringLiteral("性比")))
      c.kind = Kind::Ratio;
    else if (n.contains(QStringLiteral("平均")) || n.contains(QStringLiteral("当たり")) ||
             n.contains(QStringLiteral("中位数")))
      c.kind = Kind::Average;
    else if (n.contains(QStringLiteral("総数")))
      c.maxDigits = 5;
    columns.push_back(c);
  }
  return columns;
}

void putField(char* p, std::uint64_t bits, const Column& column, int suppressed) {
  if (suppressed >= 0) return putHarsh(p, bits, suppressed);
  const unsigned small = unsigned(bits & 0xFF);
  const std::uint64_t value = (bits >> 8) & 0xFFFFFFFFFFull;
  const unsigned pick = unsigned(bits >> 48);  // 0..65535: the rare kinds of field first
  if (pick < 40) {  // zero-padded
    std::uint64_t v = value % 100000;
    for (int i = kFieldWidth - 1; i >= 0; --i) p[i] = char('0' + v % 10), v /= 10;
  } else if (pick < 690) {
    std::memset(p, ' ', kFieldWidth);
  } else if (pick < 950) {
    putRight(p, "X");
  } else if (pick < 1210) {
    putRight(p, "-");
  } else if (pick < 1340) {
    putRight(p, "**");
  } else if (pick < 1470) {
    putInt(p, 1 + value % 999, true);
  } else if (pick < 1600) {
    putDecimal(p, 1 + value % 9999, 2, true);
  } else if (column.kind == Kind::Ratio) {
    putDecimal(p, value % 1001, 1, false);
  } else if (column.kind == Kind::Average) {
    putDecimal(p, value % 10000, 2, false);
  } else if ((small & 7) == 0) {
    putInt(p, 0, false);
  } else {
    putInt(p, value % kPow10[1 + (small >> 3) % column.maxDigits], false);
  }
}
