#include "scenario.h"

#include "joaat.h"

#include <memory>

namespace sim {

namespace {

constexpr int player = 1;
constexpr int victim = 2;
constexpr int bystander = 3;
constexpr int farAway = 4;
constexpr int trough = 900;

constexpr std::uint64_t grappleFrame = 20;
constexpr std::uint64_t holdFrame = 75;

constexpr std::uint32_t offerState = 0x13930D00;
constexpr std::uint32_t drowningState = 0x4CD05DF6;

// The grapple phases the game plays after the drowning move starts, as frame
// offsets from its start.
struct Phase {
    std::uint64_t from;
    const char* action; // nullptr: the drowning is over
};
constexpr Phase phases[] = {
    {5, "AR_GRAPPLE_CHOKE_INTRO"},
    {20, "AR_GRAPPLE_CHOKE"},
    {50, "AR_GRAPPLE_CHOKE_OUTRO"},
    {60, "AR_GRAPPLE_CHOKE_KNOCKOUT"},
    {90, nullptr},
};

} // namespace

Cast stageTypicalDrowning(Host& host) {
    World& world = host.world;
    world.gameTimer = 3'600'000; // an hour into the session
    world.gameTimerStep = 33;
    world.playerHandle = player;

    world.addPed(player).position = {100.0F, 200.0F, 50.0F};
    Ped& held = world.addPed(victim);
    held.position = {100.7F, 200.1F, 50.0F};
    held.promptGroup = 21;
    world.addPed(bystander).position = {104.0F, 203.0F, 50.0F};
    world.addPed(farAway).position = {130.0F, 200.0F, 50.0F};

    world.addObject(trough, joaat("p_watertrough01x"), {100.9F, 200.8F, 49.8F}).forward = {
        -0.6F, -0.8F, 0.0F};
    world.groundZ = 49.9F;
    world.animDicts["mini_games@story@saloon1@drown@patron"].loadedAfterPolls = 3;
    world.animDicts["mini_games@story@saloon1@drown@arthur"].loadedAfterPolls = 2;

    auto moveStart = std::make_shared<std::uint64_t>(0);
    host.frameHooks.emplace_back([moveStart](Host& h) {
        World& w = h.world;
        Ped& p = *w.findPed(player);
        Ped& v = *w.findPed(victim);
        if (h.frame == grappleFrame) {
            p.grapplePartner = victim;
            p.grappleFlag = 1;
            p.grappleState = offerState;
        }
        if (h.frame == holdFrame && !w.prompts.empty()) {
            w.prompts.back().holdCompleted = true;
        }
        const std::uint32_t drowningMove = joaat("AR_TO_TROUGH_FROM_STANDING_CUSTOM");
        if (*moveStart == 0 && p.pairedAction == drowningMove) {
            *moveStart = h.frame;
            p.grappleState = drowningState;
        }
        if (*moveStart == 0) {
            return;
        }
        const std::uint64_t since = h.frame - *moveStart;
        const Phase* current = nullptr;
        for (const Phase& phase : phases) {
            if (since >= phase.from) {
                current = &phase;
            }
        }
        p.actions = {drowningMove};
        if (current != nullptr && current->action != nullptr) {
            p.actions.push_back(joaat(current->action));
        } else if (current != nullptr) {
            // Over: the pair lets go and the victim lies still.
            p.actions.clear();
            p.grapplePartner = 0;
            p.grappleFlag = 0;
            p.grappleState = 0;
            v.dead = true;
        }
    });
    return {{player, "player"}, {victim, "victim"}};
}

} // namespace sim
