// Scenarios: worlds set up with frame hooks that play the game's side of a
// story, shared by the end-to-end tests and the demo.
#pragma once

#include "host.h"
#include "stage.h"

#include <span>
#include <string_view>

namespace sim {

// A staged scenario, run by name by the simulated game on every build. Its
// stage sets up the world and the frame hooks that play the game's side;
// it may write files into the current directory, which is the game folder.
struct Scenario {
    std::string_view name;
    std::string_view summary;
    // How many frames it needs to play out, with room to spare.
    int frames;
    Cast (*stage)(Host& host);
};

// Every scenario, the typical drowning first.
std::span<const Scenario> scenarios();
// The scenario of that name, or null.
const Scenario* findScenario(std::string_view name);

// A typical drowning: the player grapples a pedestrian beside a water trough,
// holds the prompt when it is offered, and the game then walks the pair
// through the choke intro, the choke, the outro and the knockout. Returns the
// roles of the entities, for the story.
Cast stageTypicalDrowning(Host& host);

// How many frames the typical drowning needs from the first frame to the
// knockout finish, with room to spare.
inline constexpr int typicalDrowningFrames = 600;

// Walking away from the trough while the prompt is offered, then coming back:
// a new prompt is offered and the first one is left hidden, not deleted.
Cast stageWalkAwayAndBack(Host& host);
inline constexpr int walkAwayAndBackFrames = 45;

// The grapple leaving the offer states while its flag stays set: the prompt
// is held back (disabled and hidden) and later offered again as it was.
Cast stageHeldBackAndOfferedAgain(Host& host);
inline constexpr int heldBackAndOfferedAgainFrames = 45;

// The grapple flag dropping while the prompt is offered: the prompt is
// deleted and both dictionaries are released.
Cast stageGrappleFlagDropped(Host& host);
inline constexpr int grappleFlagDroppedFrames = 30;

// The settings file edited between two prompts, then deleted, then replaced
// by a directory: the second prompt takes the new label and control, and the
// later ones keep them. It leaves the directory standing; the runner puts
// back what the game folder held before the run.
Cast stageSettingsEdited(Host& host);
inline constexpr int settingsEditedFrames = 62;

// The player exactly over the trough's origin when the hold completes, with
// no ground to be found: the way the trough faces gives the direction and
// both pedestrians are placed at the trough's own height.
Cast stageAboveTheTrough(Host& host);
inline constexpr int aboveTheTroughFrames = 30;

// The drowning going straight to the knockout: its 11-second wait and the
// four finishing calls, then the breakout control used, answered by a throw.
Cast stageKnockoutAndThrow(Host& host);
inline constexpr int knockoutAndThrowFrames = 360;

// The prompt offered amid 1024 pedestrians, one of every kind the nearby scan
// passes over (not human, dead, mounted, in a vehicle, each state test, config
// flag 11, far away, a NaN separation, just beyond the bound) and a tie at the
// bound: the prompt joins the prompt group of the later of the tied pair.
Cast stageCrowdOf1024(Host& host);
inline constexpr int crowdOf1024Frames = 10;

// The game restarting its scripts twice, once while the prompt is offered
// and once during the knockout's pause: each time the script starts again
// from the top with the module's data as it was, the old prompts are gone
// and the game's own prompt takes the first id they held. Plays on until a
// new prompt is offered and a second drowning ends.
Cast stageGameReloaded(Host& host);
inline constexpr int gameReloadedFrames = 600;

} // namespace sim
