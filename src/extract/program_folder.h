// The running program's own folder, links followed (an installed program's link in bin/
// leads to the program folder): where the programs find their modules. Without Qt or the
// C++ library, so that h7extract's start uses it too.
#pragma once

#include <cstddef>

namespace h7 {

// Writes the folder's path (bytes, no closing '/' and no closing zero) to `folder`, at most
// `size` bytes; "." when the system does not say. Its length.
std::size_t programFolder(char* folder, std::size_t size);

}  // namespace h7
