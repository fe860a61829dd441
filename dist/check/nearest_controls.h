// The control names a mistyped name was most likely meant to be.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace sloshmere::check {

// Up to `count` names of the module's control table nearest to `name` by edit
// distance (single letters inserted, removed or changed), letter case aside;
// the nearest first, ties in the table's order.
std::vector<std::string_view> nearestControlNames(std::string_view name, std::size_t count);

} // namespace sloshmere::check
