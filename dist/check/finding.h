// One thing the setup check found, told in the player's words.
#pragma once

#include <string>
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

} // namespace sloshmere::check
