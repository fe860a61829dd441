#include "scenario.h"

#include "stage.h"

namespace sim {

namespace {

constexpr int bystander = 3;
constexpr int farAway = 4;

constexpr std::uint64_t grappleFrame = 20;
constexpr std::uint64_t holdFrame = 75;

// The grapple phases the game plays after the drowning move starts.
constexpr stage::Phase phases[] = {
    {5, "AR_GRAPPLE_CHOKE_INTRO"},
    {20, "AR_GRAPPLE_CHOKE"},
    {50, "AR_GRAPPLE_CHOKE_OUTRO"},
    {60, "AR_GRAPPLE_CHOKE_KNOCKOUT"},
    {90, nullptr},
};

} // namespace

Cast stageTypicalDrowning(Host& host) {
    World& world = host.world;
    stage::setTroughSide(world);
    world.addPed(bystander).position = {104.0F, 203.0F, 50.0F};
    world.addPed(farAway).position = {130.0F, 200.0F, 50.0F};

    stage::onFrame(host, grappleFrame, stage::grapple);
    stage::onFrame(host, holdFrame, stage::completeHold);
    stage::playDrowningMove(host, phases, stage::victimLiesStill);
    return stage::pairCast();
}

} // namespace sim
