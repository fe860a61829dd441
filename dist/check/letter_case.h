// Comparing names with letter case aside, the way a player reads them: only
// the ASCII letters fold, as in every name the module knows.
#pragma once

#include <cstddef>
#include <string_view>

namespace sloshmere::check {

inline char upperLetter(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline bool sameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upperLetter(a[i]) != upperLetter(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace sloshmere::check
