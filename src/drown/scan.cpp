#include "drown/scan.h"

#include "host/native_hashes.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace sloshmere {

namespace {

// The hook fills at most this many handles; the buffer lives on the stack so a
// scan, which runs every frame, never allocates.
constexpr int pedBufferCapacity = 1024;

// The largest separation a pedestrian may have from the player and still be
// chosen. The game's separation is squared, so 16 is 4 units away.
constexpr float nearestPedBound = 16.0F;
static_assert(std::bit_cast<std::uint32_t>(nearestPedBound) == 0x41800000U);

// A set config flag 11 keeps a pedestrian out of the scan.
constexpr std::int32_t excludingConfigFlag = 11;

bool pedConfigFlag(Entity ped, std::int32_t flag) {
    return callNative<bool>(native::GET_PED_CONFIG_FLAG, ped, flag, 1);
}

// The squared distance between two points, as the game works it out.
float pointSeparation(Vector3 from, Vector3 to) {
    return callNative<float>(native::POINT_SEPARATION, from.x, from.y, from.z, to.x, to.y, to.z);
}

// The ten tests in their fixed order. The first failure ends the questions for
// that pedestrian, so a crowd of ineligible ones stays cheap every frame.
bool isEligible(Entity ped) {
    return ped != callNative<Entity>(native::PLAYER_PED_ID) &&
           callNative<bool>(native::DOES_ENTITY_EXIST, ped) &&
           callNative<bool>(native::IS_PED_HUMAN, ped) &&
           !callNative<bool>(native::IS_ENTITY_DEAD, ped) &&
           !callNative<bool>(native::IS_PED_ON_MOUNT, ped) &&
           !callNative<bool>(native::IS_PED_IN_ANY_VEHICLE, ped, 0) &&
           !callNative<bool>(native::PED_STATE_TEST_A, ped) &&
           !callNative<bool>(native::PED_STATE_TEST_B, ped) &&
           !callNative<bool>(native::PED_STATE_TEST_C, ped) &&
           !pedConfigFlag(ped, excludingConfigFlag);
}

} // namespace

Entity findNearestPed() {
    const auto player = callNative<Entity>(native::PLAYER_PED_ID);
    const auto from = callNative<Vector3>(native::GET_ENTITY_COORDS, player, 0, 0);

    // Zeroed so that a host reporting more handles than it wrote hands us
    // handle 0, which no test passes, instead of stack garbage.
    std::array<Entity, pedBufferCapacity> peds{};
    const int reported = worldGetAllPeds(peds.data(), pedBufferCapacity);
    if (reported <= 0) {
        return 0;
    }
    // Never trust the count past the buffer's end.
    const int count = std::min(reported, pedBufferCapacity);

    float best = nearestPedBound;
    Entity chosen = 0;
    for (int i = 0; i < count; ++i) {
        const Entity ped = peds[static_cast<std::size_t>(i)];
        if (!isEligible(ped)) {
            continue;
        }
        const float separation =
            pointSeparation(from, callNative<Vector3>(native::GET_ENTITY_COORDS, ped, 0, 0));
        // Equal counts as nearer, so the later pedestrian wins a tie and one at
        // exactly the bound is taken. A NaN separation never wins: taking one
        // would make the best value NaN and let any later pedestrian in,
        // however far away.
        if (separation <= best) {
            best = separation;
            chosen = ped;
        }
    }
    return chosen;
}

} // namespace sloshmere
