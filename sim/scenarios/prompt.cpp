// The prompt's life while the player holds the victim: left beside the trough
// and offered anew, held back and offered again, and retired when the grapple
// ends.
#include "scenario.h"

#include "stage.h"

namespace sim {

namespace {

// The prompt is offered in the pass after the grapple and its dictionaries
// have loaded a few frames later; every change below comes after that.
constexpr std::uint64_t grappleFrame = 2;
constexpr std::uint64_t firstChange = 15;
constexpr std::uint64_t secondChange = 30;

// A grapple state that is not one of the offer states.
constexpr std::uint32_t heldBackState = 0x0BADF00D;

Ped& thePlayer(World& world) {
    return *world.findPed(stage::player);
}

} // namespace

Cast stageWalkAwayAndBack(Host& host) {
    stage::setTroughSide(host.world);
    stage::onFrame(host, grappleFrame, stage::grapple);
    // Three units along x puts the trough beyond the search radius.
    stage::onFrame(host, firstChange, [](World& w) {
        thePlayer(w).position = {stage::besideTrough.x + 3.0F, stage::besideTrough.y,
                                 stage::besideTrough.z};
    });
    stage::onFrame(host, secondChange,
                   [](World& w) { thePlayer(w).position = stage::besideTrough; });
    return stage::pairCast();
}

Cast stageHeldBackAndOfferedAgain(Host& host) {
    stage::setTroughSide(host.world);
    stage::onFrame(host, grappleFrame, stage::grapple);
    stage::onFrame(host, firstChange, [](World& w) { thePlayer(w).grappleState = heldBackState; });
    stage::onFrame(host, secondChange,
                   [](World& w) { thePlayer(w).grappleState = stage::offerState; });
    return stage::pairCast();
}

Cast stageGrappleFlagDropped(Host& host) {
    stage::setTroughSide(host.world);
    stage::onFrame(host, grappleFrame, stage::grapple);
    // The state stays an offer state: only the flag says the grapple is over.
    stage::onFrame(host, firstChange, [](World& w) { thePlayer(w).grappleFlag = 0; });
    return stage::pairCast();
}

} // namespace sim
