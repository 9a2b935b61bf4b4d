// CSV pieces. Quoted text doubles inner quotation marks; a raw value is quoted only when
// it holds a comma, a quotation mark or a line end byte (LF, or CR in a file of LF lines).
#pragma once

#include <string_view>

#include "extract/byte_buffer.h"

namespace h7 {

void appendQuoted(ByteBuffer& out, std::string_view text);
void appendRawValue(ByteBuffer& out, std::string_view field);

}  // namespace h7
