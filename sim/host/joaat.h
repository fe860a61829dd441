// The game's name hash: one-at-a-time over the lower-cased name. The simulated
// host answers GET_HASH_KEY with it so traces carry the hashes the game would.
#pragma once

#include <cstdint>
#include <string_view>

namespace sim {

constexpr std::uint32_t joaat(std::string_view name) {
    std::uint32_t h = 0;
    for (char raw : name) {
        auto c = static_cast<std::uint8_t>(raw);
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<std::uint8_t>(c - 'A' + 'a');
        }
        h += c;
        h += h << 10;
        h ^= h >> 6;
    }
    h += h << 3;
    h ^= h >> 11;
    h += h << 15;
    return h;
}

} // namespace sim
