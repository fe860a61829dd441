// The grapple action catalogue: the actions that mean a pedestrian is busy in
// a grapple move or already being drowned, and the query that asks the game
// whether a pedestrian is performing an action now.
#pragma once

#include "host/native.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sloshmere {

inline constexpr std::size_t grappleActionCount = 67;

// The catalogued action names, exactly as the game spells them; the drowning
// move comes first.
extern const std::array<const char*, grappleActionCount> grappleActionNames;

// A fresh array of the 67 action hashes, in catalogue order, asked of the game
// now; allocated once at its final size.
std::vector<GameHash> grappleActionHashes();

// Non-zero when `ped` is performing `action` now, as the game answers it.
std::int32_t isPedInAction(Entity ped, GameHash action);

} // namespace sloshmere
