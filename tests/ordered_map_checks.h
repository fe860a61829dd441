// The invariant every OrderedMap must keep, shared by the tests and the fuzz
// target: each name once, and the index agreeing with the entries' positions.
#pragma once

#include "settings/reader.h"

#include <cstddef>

namespace test {

template <typename V>
bool indexAgrees(const sloshmere::OrderedMap<V>& map) {
    if (map.index.size() != map.entries.size()) {
        return false;
    }
    for (std::size_t at = 0; at < map.entries.size(); ++at) {
        const auto found = map.index.find(map.entries[at].first);
        if (found == map.index.end() || found->second != at) {
            return false;
        }
    }
    return true;
}

} // namespace test
