// Water troughs: finding one beside the player, and putting the grappling pair
// in front of it with the drowning move started.
#pragma once

#include "host/native.h"

#include <array>

namespace sloshmere {

// How near the player a trough must be, in the game's units (metres).
inline constexpr float troughSearchRadius = 1.5F;

// The paired move a completed hold starts: the drowning itself.
inline constexpr const char* drowningMove = "AR_TO_TROUGH_FROM_STANDING_CUSTOM";

// The trough models, in the order they are searched for.
inline constexpr std::array<const char*, 4> troughModels = {
    "p_watertrough01x",
    "p_watertrough02x",
    "p_watertrough03x",
    "p_watertrough01x_new",
};

// The game hashes of troughModels, in the same order, asked of the game afresh.
std::array<GameHash, 4> troughModelHashes();

// The trough of the first model in `models` that has an existing object within
// 1.5 units of `at`; later models are not searched. 0 when there is none.
Entity findTrough(Vector3 at, const std::array<GameHash, 4>& models);

// Places the player and the victim side by side in front of the trough beside
// the player, both facing it, and starts the drowning move. Moves nothing when
// either pedestrian is gone or no trough is within reach.
void alignAtTrough();

// The game's nearest object of `model` within 1.5 units of `at`, or 0.
Entity closestObjectOfType(Vector3 at, GameHash model);

// Puts `entity` at (x, y, z).
void setEntityCoords(Entity entity, float x, float y, float z);

// Starts the paired action `action` with `first` leading and `second` following.
void startPairedAction(Entity first, Entity second, GameHash action);

} // namespace sloshmere
