// The end of a drowning: the choke knockout, with its long wait and the four
// finishing calls, and the player breaking out into a throw.
#include "scenario.h"

#include "stage.h"

namespace sim {

namespace {

constexpr std::uint64_t grappleFrame = 2;
constexpr std::uint64_t holdFrame = 10;
// Well inside the 11-second wait after the knockout, which at 33 ms a frame
// lasts about 334 frames from the move's start.
constexpr std::uint64_t breakoutFrame = 100;

// Straight into the knockout; the pair lets go while the module still waits.
constexpr stage::Phase phases[] = {
    {2, "AR_GRAPPLE_CHOKE_KNOCKOUT"},
    {30, nullptr},
};

// The control the player uses to break out of the grapple.
constexpr std::uint32_t breakoutControl = 0xD0C1FEFF; // INPUT_MELEE_GRAPPLE_BREAKOUT

} // namespace

Cast stageKnockoutAndThrow(Host& host) {
    stage::setTroughSide(host.world);
    stage::onFrame(host, grappleFrame, stage::grapple);
    stage::onFrame(host, holdFrame, stage::completeHold);
    stage::playDrowningMove(host, phases, stage::victimLiesStill);
    stage::onFrame(host, breakoutFrame,
                   [](World& w) { w.usedControls.emplace_back(0, breakoutControl); });
    return stage::pairCast();
}

} // namespace sim
