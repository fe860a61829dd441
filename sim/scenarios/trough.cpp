// Placement at the trough from an awkward spot: the player standing right
// over the trough's origin, on ground the probe cannot find.
#include "scenario.h"

#include "stage.h"

namespace sim {

namespace {

constexpr std::uint64_t grappleFrame = 2;
constexpr std::uint64_t holdFrame = 10;

// The move plays a few frames, then the pair lets go.
constexpr stage::Phase phases[] = {{10, nullptr}};

} // namespace

Cast stageAboveTheTrough(Host& host) {
    World& world = host.world;
    stage::setTroughSide(world);
    // Level with the trough's origin, so only the way it faces gives a
    // direction, and still within the search radius of it.
    world.findPed(stage::player)->position = {stage::troughAt.x, stage::troughAt.y,
                                              stage::besideTrough.z};
    world.groundZ.reset();

    stage::onFrame(host, grappleFrame, stage::grapple);
    stage::onFrame(host, holdFrame, stage::completeHold);
    stage::playDrowningMove(host, phases, stage::victimLiesStill);
    return stage::pairCast();
}

} // namespace sim
