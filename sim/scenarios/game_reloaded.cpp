// The game restarting its scripts, as when the story is reloaded: once while
// the prompt is offered, once during the knockout's 11-second pause. Each
// time the script's fiber is deleted where it stands and its main starts again
// from the top, with the module's data as the ended run left it; the prompts
// that run made are gone from the game, and the game's own "Loot" prompt,
// made right after, takes the first id they held.
#include "scenario.h"

#include "joaat.h"
#include "stage.h"

#include <memory>

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

void grappleWith(World& world, int victim) {
    Ped& p = *world.findPed(stage::player);
    p.grapplePartner = victim;
    p.grappleFlag = 1;
    p.grappleState = stage::offerState;
}

void letGo(World& world) {
    Ped& p = *world.findPed(stage::player);
    p.grapplePartner = 0;
    p.grappleFlag = 0;
    p.grappleState = 0;
}

// The player completes the hold on the newest prompt of the script that the
// game still has.
void completeHoldOnLivePrompt(World& world) {
    Prompt* newest = nullptr;
    for (Prompt& prompt : world.prompts) {
        if (prompt.run == world.scriptRun && !prompt.ofTheGame && !prompt.deleted) {
            newest = &prompt;
        }
    }
    if (newest != nullptr) {
        newest->holdCompleted = true;
    }
}

// The game's side of any number of drowning moves, one after another: each
// plays `phases` from its start, and its end leaves the victim lying still
// and the player free for the next one.
void playDrowningMoves(Host& host) {
    auto moveStart = std::make_shared<std::uint64_t>(0);
    host.frameHooks.emplace_back([moveStart](Host& h) {
        World& w = h.world;
        Ped& p = *w.findPed(stage::player);
        const std::uint32_t drowningMove = joaat("AR_TO_TROUGH_FROM_STANDING_CUSTOM");
        if (*moveStart == 0 && p.pairedAction == drowningMove) {
            *moveStart = h.frame;
            p.grappleState = stage::drowningState;
        }
        if (*moveStart == 0) {
            return;
        }
        const std::uint64_t since = h.frame - *moveStart;
        const stage::Phase* current = nullptr;
        for (const stage::Phase& phase : phases) {
            if (since >= phase.from) {
                current = &phase;
            }
        }
        p.actions = {drowningMove};
        if (current != nullptr && current->action != nullptr) {
            p.actions.push_back(joaat(current->action));
        } else if (current != nullptr) {
            p.actions.clear();
            if (Ped* drowned = w.findPed(p.pairedPartner)) {
                drowned->dead = true;
            }
            letGo(w);
            p.pairedAction = 0;
            p.pairedPartner = 0;
            *moveStart = 0;
        }
    });
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

    stage::onFrame(host, firstGrappleFrame, [](World& w) { grappleWith(w, stage::victim); });
    restartAt(host, restartWhileOfferedFrame);
    stage::onFrame(host, letGoFrame, letGo);
    stage::onFrame(host, regrappleFrame, [](World& w) { grappleWith(w, stage::victim); });
    stage::onFrame(host, firstHoldFrame, completeHoldOnLivePrompt);
    playDrowningMoves(host);
    restartAt(host, restartInPauseFrame);
    stage::onFrame(host, secondGrappleFrame, [](World& w) { grappleWith(w, secondVictim); });
    stage::onFrame(host, secondHoldFrame, completeHoldOnLivePrompt);

    Cast cast = stage::pairCast();
    cast[secondVictim] = "second victim";
    return cast;
}

} // namespace sim
