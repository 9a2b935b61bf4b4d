// The one listing of a folder's entries, for every layer: names as the system gives them
// (bytes), read as a stream, so that a folder of any size costs no memory.
#pragma once

#include <QString>
#include <functional>
#include <string_view>

namespace h7 {

// Calls `f` with the name of each entry of the folder ("." and ".." left out); 0, or the
// errno that kept the folder from being read.
int forEachName(const QString& folder, const std::function<void(std::string_view name)>& f);
// The same for a folder open as a descriptor, which stays open.
int forEachNameAt(int folder, const std::function<void(std::string_view name)>& f);

}  // namespace h7
