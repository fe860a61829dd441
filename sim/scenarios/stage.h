// The pieces every staged scenario is built from: the world beside a water
// trough, changes made on a given frame, and the game's side of the drowning
// move once the module has started it.
#pragma once

#include "host.h"

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>

namespace sim {

// The roles of the entities a scenario stages ("player", "victim"), for the
// story and the picture; every other pedestrian is "pedestrian N".
using Cast = std::map<int, std::string>;

} // namespace sim

namespace sim::stage {

inline constexpr int player = 1;
inline constexpr int victim = 2;
inline constexpr int trough = 900;

// The prompt group the game keeps for prompts aimed at the victim.
inline constexpr std::int32_t victimPromptGroup = 21;

// A grapple state in which the game lets the prompt be offered, and the one it
// reports while the drowning move plays.
inline constexpr std::uint32_t offerState = 0x13930D00;
inline constexpr std::uint32_t drowningState = 0x4CD05DF6;

// Where the player stands beside the trough, and where the trough is.
inline constexpr Vec3 besideTrough{100.0F, 200.0F, 50.0F};
inline constexpr Vec3 troughAt{100.9F, 200.8F, 49.8F};

// The world beside the trough: an hour into the session, the player and the
// victim within reach of a "p_watertrough01x", solid ground and both drowning
// dictionaries (the first loads on its third poll, the second on its second).
// Nobody holds anybody yet.
void setTroughSide(World& world);
// The player and the victim by role.
Cast pairCast();

// Runs `change` on the world once, after the frame `frame` has ended.
void onFrame(Host& host, std::uint64_t frame, std::function<void(World&)> change);

// The player takes hold of the victim, in a state that offers the prompt.
void grapple(World& world);
// The same with another pedestrian.
void grappleWith(World& world, int partner);
// The player lets go: no partner, no grapple flag, no grapple state.
void letGo(World& world);
// The player completes the hold on the newest prompt this run of the script
// made and has not deleted, if there is one; the game's own prompts, and
// those of a run it has restarted, are not the player's to hold.
void completeHold(World& world);

// A grapple phase the game plays after the drowning move starts: from this
// many frames after its start, the player performs `action` besides the move;
// nullptr ends the drowning move.
struct Phase {
    std::uint64_t from;
    const char* action;
};

// What the game does when the drowning move reaches its end: called on every
// frame from then on while the player's paired action is still the move; once
// it lets that go, the module may start another drowning move.
using MoveEnd = void (*)(World& world, Ped& player);

// The drowning over for good: the pair lets go and the victim lies still, the
// paired action left as the module set it.
void victimLiesStill(World& world, Ped& player);

// Plays the game's side each time the module starts the drowning move: the
// player performs the move, in the drowning state, through `phases` in
// order, and `end` follows the last.
void playDrowningMove(Host& host, std::span<const Phase> phases, MoveEnd end);

} // namespace sim::stage
