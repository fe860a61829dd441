#include "drown/trough.h"

#include "drown/handles.h"
#include "drown/pass_notes.h"
#include "host/native_hashes.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace sloshmere {

namespace {

// The geometry is single precision throughout, and the float bits that reach
// the game are part of the behaviour: each constant is pinned to its pattern.
static_assert(std::bit_cast<std::uint32_t>(troughSearchRadius) == 0x3FC00000U);

// How far in front of the trough's origin the pair stands, back along the
// player's approach.
constexpr float standingBackOff = 0.85F;
static_assert(std::bit_cast<std::uint32_t>(standingBackOff) == 0x3F59999AU);

// How far each pedestrian stands to the side of the standing point.
constexpr float sideOffset = 0.2F;
static_assert(std::bit_cast<std::uint32_t>(sideOffset) == 0x3E4CCCCDU);

// The ground probe starts this far above the trough, so a trough sunk into a
// slope still finds the ground under the standing point.
constexpr float groundProbeLift = 1.0F;
static_assert(std::bit_cast<std::uint32_t>(groundProbeLift) == 0x3F800000U);

// One below the nearest single-precision value to 180/pi (0x42652EE1); the
// headings the game has always been given were made with this one.
constexpr float degreesPerRadian = 57.295776F;
static_assert(std::bit_cast<std::uint32_t>(degreesPerRadian) == 0x42652EE0U);

constexpr float fullTurn = 360.0F;
static_assert(std::bit_cast<std::uint32_t>(fullTurn) == 0x43B40000U);

bool entityExists(Entity entity) {
    return callNative<bool>(native::DOES_ENTITY_EXIST, entity);
}

void setPlacementSwitch(Entity ped, bool on) {
    callNative(native::PED_PLACEMENT_SWITCH, ped, on);
}

} // namespace

std::array<GameHash, 4> troughModelHashes() {
    std::array<GameHash, 4> hashes{};
    for (std::size_t i = 0; i < troughModels.size(); ++i) {
        hashes[i] = callNative<GameHash>(native::GET_HASH_KEY, troughModels[i]);
    }
    return hashes;
}

Entity closestObjectOfType(Vector3 at, GameHash model) {
    return callNative<Entity>(native::GET_CLOSEST_OBJECT_OF_TYPE, at.x, at.y, at.z,
                              troughSearchRadius, model, 0, 0, 0);
}

void setEntityCoords(Entity entity, float x, float y, float z) {
    callNative(native::SET_ENTITY_COORDS, entity, x, y, z, 0, 0, 0, 1);
}

void startPairedAction(Entity first, Entity second, GameHash action) {
    callNative(native::START_PAIRED_ACTION, first, second, action, 0, 0, 0, 0);
}

Entity findTrough(Vector3 at, const std::array<GameHash, 4>& models) {
    Entity trough = 0;
    for (const GameHash model : models) {
        trough = closestObjectOfType(at, model);
        if (entityExists(trough)) {
            break;
        }
    }
    // The search may hand back a handle that is already gone; only a trough
    // that still exists counts.
    return entityExists(trough) ? trough : 0;
}

void alignAtTrough() {
    if (!entityExists(playerPed)) {
        passNotes.placement = PlacementResult::PlayerGone;
        return;
    }
    if (!entityExists(victimPed)) {
        passNotes.placement = PlacementResult::VictimGone;
        return;
    }
    const auto player = callNative<Vector3>(native::GET_ENTITY_COORDS, playerPed, 1, 1);
    const Entity trough = findTrough(player, troughModelHashes());
    if (trough == 0) {
        passNotes.placement = PlacementResult::NoTrough;
        return;
    }
    const auto at = callNative<Vector3>(native::GET_ENTITY_COORDS, trough, 1, 1);

    // The horizontal direction from the player to the trough, scaled by one
    // reciprocal rather than two divisions so the bits match what the game
    // has always been sent.
    const float dx = at.x - player.x;
    const float dy = at.y - player.y;
    const float distance = std::sqrt(dx * dx + dy * dy);
    float dirX = 0.0F;
    float dirY = 0.0F;
    // A square root is positive, zero or NaN; only a positive length gives a
    // direction. A player right over the trough takes the way the trough faces.
    if (distance > 0.0F) {
        const float reciprocal = 1.0F / distance;
        dirX = reciprocal * dx;
        dirY = reciprocal * dy;
    } else {
        const auto forward = callNative<Vector3>(native::GET_ENTITY_FORWARD_VECTOR, trough);
        dirX = forward.x;
        dirY = forward.y;
    }

    const float standX = at.x - dirX * standingBackOff;
    const float standY = at.y - dirY * standingBackOff;

    float ground = 0.0F;
    const bool groundFound = callNative<bool>(native::GET_GROUND_Z_FOR_3D_COORD, standX, standY,
                                              at.z + groundProbeLift, &ground, 0);
    const float z = groundFound ? ground : at.z;

    // The arc tangent is taken in double precision and rounded once to float,
    // which gives the correctly rounded single-precision value. The C
    // runtimes' own atan2f disagree in the last bit for about one direction in
    // six (one rounds correctly, the other does not), so this is what keeps the
    // heading the same on every runtime the module is built for.
    float heading =
        static_cast<float>(std::atan2(static_cast<double>(dirY), static_cast<double>(dirX))) *
        degreesPerRadian;
    if (!(heading >= 0.0F)) {
        heading += fullTurn;
    }

    setPlacementSwitch(playerPed, false);
    setPlacementSwitch(victimPed, false);
    // The player a quarter turn counter-clockwise of the approach, the victim
    // a quarter turn clockwise, both facing along it.
    const Vector3 playerAt{standX - dirY * sideOffset, standY + dirX * sideOffset, z};
    const Vector3 victimAt{standX + dirY * sideOffset, standY - dirX * sideOffset, z};
    setEntityCoords(playerPed, playerAt.x, playerAt.y, playerAt.z);
    callNative(native::SET_ENTITY_HEADING, playerPed, heading);
    setEntityCoords(victimPed, victimAt.x, victimAt.y, victimAt.z);
    callNative(native::SET_ENTITY_HEADING, victimPed, heading);
    passNotes.placement = PlacementResult::Placed;
    passNotes.playerPlaced = playerAt;
    passNotes.victimPlaced = victimAt;
    passNotes.heading = heading;
    passNotes.byTroughFacing = !(distance > 0.0F);
    passNotes.groundFound = groundFound;

    startPairedAction(playerPed, victimPed,
                      callNative<GameHash>(native::GET_HASH_KEY, drowningMove));
    setPlacementSwitch(playerPed, true);
    setPlacementSwitch(victimPed, true);
}

} // namespace sloshmere
