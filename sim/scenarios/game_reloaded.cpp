// The game restarting its scripts, as when the story is reloaded: once while
// the prompt is offered, once during the knockout's 11-second pause. Each
// time the script's fiber is deleted where it stands and its main starts again
// from the top, with the module's data as the ended run left it; the prompts
// that run made are gone from the game, and the game's own "Loot" prompt,
// made right after, takes the first id they held.
#include "scenario.h"

#include "stage.h"

namespace sim {

namespace {

// The pedestrian the player drowns after the second restart.
constexpr int secondVictim = 3;
constexpr std::int32_t secondVictimPromptGroup = 22;

constexpr std::uint64_t firstGrappleFrame = 2;
// The prompt is offered from frame 3 and its dictionaries load by frame 8.
constexpr std::uint64_t restartWhileOfferedFrame = 15;
// The player still holds the grapple when the script starts again, then lets
// go and takes hold again.
constexpr std::uint64_t letGoFrame = 25;
constexpr std::uint64_t regrappleFrame = 30;
constexpr std::uint64_t firstHoldFrame = 45;
// The knockout starts 30 frames into the move (about frame 77) and its pause
// lasts 11000 ms, some 334 frames; the pair lets go at 60 frames, and the
// game restarts well inside the pause.
constexpr std::uint64_t restartInPauseFrame = 160;
constexpr std::uint64_t secondGrappleFrame = 180;
constexpr std::uint64_t secondHoldFrame = 195;

// The same phases for both drownings, counted from each move's start.
constexpr stage::Phase phases[] = {
    {5, "AR_GRAPPLE_CHOKE_INTRO"},
    {20, "AR_GRAPPLE_CHOKE"},
    {30, "AR_GRAPPLE_CHOKE_KNOCKOUT"},
    {60, nullptr},
};

// Each drowning leaves its victim lying still and the player free for the
// next one.
void readyForTheNext(World& world, Ped& player) {
    if (Ped* drowned = world.findPed(player.pairedPartner)) {
        drowned->dead = true;
    }
    stage::letGo(world);
    player.pairedAction = 0;
    player.pairedPartner = 0;
}

void restartAt(Host& host, std::uint64_t frame) {
    host.frameHooks.emplace_back([frame](Host& h) {
        if (h.frame == frame) {
            h.restartScripts();
            h.world.addGamePrompt("Loot");
        }
    });
}

} // namespace

Cast stageGameReloaded(Host& host) {
    World& world = host.world;
    stage::setTroughSide(world);
    Ped& second = world.addPed(secondVictim);
    second.position = {98.8F, 201.2F, 50.0F};
    second.promptGroup = secondVictimPromptGroup;

    stage::onFrame(host, firstGrappleFrame, stage::grapple);
    restartAt(host, restartWhileOfferedFrame);
    stage::onFrame(host, letGoFrame, stage::letGo);
    stage::onFrame(host, regrappleFrame, stage::grapple);
    stage::onFrame(host, firstHoldFrame, stage::completeHold);
    stage::playDrowningMove(host, phases, readyForTheNext);
    restartAt(host, restartInPauseFrame);
    stage::onFrame(host, secondGrappleFrame, [](World& w) { stage::grappleWith(w, secondVictim); });
    stage::onFrame(host, secondHoldFrame, stage::completeHold);

    Cast cast = stage::pairCast();
    cast[secondVictim] = "second victim";
    return cast;
}

} // namespace sim
