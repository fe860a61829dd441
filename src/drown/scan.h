// The nearby pedestrian scan: which pedestrian the Drown prompt belongs to.
#pragma once

#include "host/native.h"

namespace sloshmere {

// The eligible pedestrian nearest the player within 4 units (a squared separation of
// 16), the later one in the host's list on a tie; 0 when none. Allocates nothing.
Entity findNearestPed();

} // namespace sloshmere
