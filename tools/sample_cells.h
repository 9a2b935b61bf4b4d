// h7sample's item fields: the value of each field of a census record, ten characters
// right-aligned, drawn from 64 random bits as real small-area tables have them.
#pragma once

#include <cstdint>
#include <vector>

#include "core/field_width.h"
#include "core/groups.h"
#include "sample_random.h"

using h7::kFieldWidth;

enum class Kind : std::uint8_t { Count, Ratio, Average };

struct Column {
  Kind kind;
  std::uint8_t maxDigits;  // counts: up to this many digits
};

// The columns of a group, from its item names: ratios and averages get decimals; totals get
// larger counts.
std::vector<Column> columnsOf(const h7::TabulationGroup& g, SplitMix64& rng);

// The field at p from the bits: the usual values of the column (suppressed < 0), or the harsh
// mix with that percentage of blank, X and - fields.
void putField(char* p, std::uint64_t bits, const Column& column, int suppressed);
