// A count with its noun, for the simulated game's messages: "1 pair", "2 pairs".
#pragma once

#include <string>
#include <string_view>

namespace sim {

// `count` followed by `one` when it is exactly 1, else by `many`.
inline std::string counted(long long count, std::string_view one, std::string_view many) {
    std::string out = std::to_string(count);
    out += ' ';
    out += count == 1 ? one : many;
    return out;
}

} // namespace sim
