#include "stage.h"

#include "joaat.h"

#include <memory>
#include <utility>

namespace sim::stage {

void setTroughSide(World& world) {
    world.gameTimer = 3'600'000; // an hour into the session
    world.gameTimerStep = 33;
    world.playerHandle = player;

    world.addPed(player).position = besideTrough;
    Ped& held = world.addPed(victim);
    held.position = {100.7F, 200.1F, 50.0F};
    held.promptGroup = victimPromptGroup;

    world.addObject(trough, joaat("p_watertrough01x"), troughAt).forward = {-0.6F, -0.8F, 0.0F};
    world.groundZ = 49.9F;
    world.animDicts["mini_games@story@saloon1@drown@patron"].loadedAfterPolls = 3;
    world.animDicts["mini_games@story@saloon1@drown@arthur"].loadedAfterPolls = 2;
}

Cast pairCast() {
    return {{player, "player"}, {victim, "victim"}};
}

void onFrame(Host& host, std::uint64_t frame, std::function<void(World&)> change) {
    host.frameHooks.emplace_back([frame, change = std::move(change)](Host& h) {
        if (h.frame == frame) {
            change(h.world);
        }
    });
}

void grapple(World& world) {
    grappleWith(world, victim);
}

void grappleWith(World& world, int partner) {
    Ped& p = *world.findPed(player);
    p.grapplePartner = partner;
    p.grappleFlag = 1;
    p.grappleState = offerState;
}

void letGo(World& world) {
    Ped& p = *world.findPed(player);
    p.grapplePartner = 0;
    p.grappleFlag = 0;
    p.grappleState = 0;
}

void completeHold(World& world) {
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

void victimLiesStill(World& world, Ped& /*player*/) {
    letGo(world);
    world.findPed(victim)->dead = true;
}

void playDrowningMove(Host& host, std::span<const Phase> phases, MoveEnd end) {
    auto moveStart = std::make_shared<std::uint64_t>(0);
    host.frameHooks.emplace_back([moveStart, phases, end](Host& h) {
        World& w = h.world;
        Ped& p = *w.findPed(player);
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
            p.actions.clear();
            end(w, p);
            if (p.pairedAction != drowningMove) {
                *moveStart = 0;
            }
        }
    });
}

} // namespace sim::stage
