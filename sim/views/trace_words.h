// Words for what a trace holds, shared by the narrator (story.cpp) and the
// picture (picture.cpp), so that the two tell the same run the same way.
#pragma once

#include "format_text.h"
#include "host.h"

#include <cstdint>
#include <map>
#include <string>

namespace sim {

// The part of a dictionary name after its last '@', which is what tells the
// two drowning dictionaries apart.
inline std::string shortDictName(const std::string& name) {
    return name.substr(name.rfind('@') + 1);
}

// The text between `line "` and the next quote in a speech note.
inline std::string spokenLine(const std::string& note) {
    const std::string marker = "line \"";
    const auto start = note.find(marker);
    if (start == std::string::npos) {
        return "?";
    }
    const auto from = start + marker.size();
    return note.substr(from, note.find('"', from) - from);
}

// The role an entity plays in a scenario, or "pedestrian N".
inline std::string roleOf(const std::map<int, std::string>& roles, int handle) {
    if (const auto found = roles.find(handle); found != roles.end()) {
        return found->second;
    }
    return formatText("pedestrian %d", handle);
}

// The name the module hashed into `hash`, or the hash in hex.
inline std::string hashedName(const Host& host, std::uint32_t hash) {
    if (const auto found = host.hashedNames.find(hash); found != host.hashedNames.end()) {
        return found->second;
    }
    return formatText("0x%08X", hash);
}

} // namespace sim
