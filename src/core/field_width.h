// The census data files' item field: ten characters, the value right-aligned. Qt-free, so
// that the kernels may use it.
#pragma once

#include <cstddef>

namespace h7 {

inline constexpr std::size_t kFieldWidth = 10;

}  // namespace h7
