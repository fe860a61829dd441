// printf into a string, for the simulated game's short texts: the line a
// broken rule prints, the trace's words for a call, and the story's and the
// picture's.
#pragma once

#include <cstdio>
#include <string>

namespace sim {

// `pattern` filled in with `values`, as snprintf does; up to 255 characters.
template <typename... Values>
std::string formatText(const char* pattern, Values... values) {
    char buffer[256];
    const int length = std::snprintf(buffer, sizeof buffer, pattern, values...);
    return length > 0 ? std::string(buffer) : std::string();
}

} // namespace sim
