// One thing the setup check found, told in the player's words.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sloshmere::check {

// Something wrong, or worth knowing, about the game folder or the settings.
// A blocking finding keeps the module from offering a prompt that works; a
// note does not.
struct Finding {
    bool blocking = false;
    // What is the matter, in one or more sentences.
    std::string what;
    // What to do about it; the report's last line when it is the first
    // blocking finding.
    std::string fix;
};

using Findings = std::vector<Finding>;

// Text from the player's settings file, cut to at most `most` bytes and "..."
// for a message: a line of the file may be megabytes long.
inline std::string shortened(std::string_view text, std::size_t most) {
    return text.size() <= most ? std::string(text) : std::string(text.substr(0, most)) + "...";
}

} // namespace sloshmere::check
