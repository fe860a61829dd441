// The nearby pedestrian scan: which pedestrian the Drown prompt belongs to.
#pragma once

#include "host/native.h"

namespace sloshmere {

// The eligible pedestrian nearest the player within 16 units, the later one in
// the host's list on a tie; 0 when there is none. Allocates nothing.
Entity findNearestPed();

} // namespace sloshmere
