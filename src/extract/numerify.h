// Numerified values: the numeric value of a field written in canonical form.
#pragma once

#include <optional>
#include <string_view>

#include "extract/byte_buffer.h"

namespace h7 {

// The numeric value of a field in canonical form; false when it does not fit a double.
bool appendNumerified(ByteBuffer& out, std::string_view field);

// The value a numerified field stands for, as a number (negative zero as 0, as its canonical
// form prints it); none when it does not fit a double.
std::optional<double> numerifiedValue(std::string_view field);

}  // namespace h7
