// The registry of staged scenarios: the one list the simulated game, its
// tests and the trace comparison between builds all run from.
#include "scenario.h"

#include <algorithm>
#include <array>

namespace sim {

namespace {

constexpr std::array registry = {
    Scenario{"typical-drowning",
             "a pedestrian grappled beside a trough, the hold completed, the whole drowning",
             typicalDrowningFrames, stageTypicalDrowning},
    Scenario{"walk-away-and-back",
             "the player walks away from the trough while offered and comes back: a second "
             "prompt, the first left hidden",
             walkAwayAndBackFrames, stageWalkAwayAndBack},
    Scenario{"held-back-and-offered-again",
             "the grapple leaves the offer states and returns: the same prompt hidden, then "
             "shown again",
             heldBackAndOfferedAgainFrames, stageHeldBackAndOfferedAgain},
    Scenario{"grapple-flag-dropped",
             "the grapple flag drops while the prompt is offered: the prompt deleted, the "
             "dictionaries released",
             grappleFlagDroppedFrames, stageGrappleFlagDropped},
    Scenario{"settings-edited",
             "the settings edited between prompts, then deleted, then made a directory: the "
             "last good label and control stay",
             settingsEditedFrames, stageSettingsEdited},
    Scenario{"above-the-trough",
             "the hold completed right over the trough's origin, with no ground found: placed "
             "by the way it faces, at its height",
             aboveTheTroughFrames, stageAboveTheTrough},
    Scenario{"knockout-and-throw",
             "the drowning goes straight to the knockout, its wait and four finishing calls, "
             "then the breakout throw",
             knockoutAndThrowFrames, stageKnockoutAndThrow},
    Scenario{"crowd-of-1024",
             "the prompt offered amid 1024 pedestrians, one of each kind the scan passes over: "
             "it joins the one expected pedestrian's group",
             crowdOf1024Frames, stageCrowdOf1024},
    Scenario{"game-reloaded",
             "the game restarts its scripts while the prompt is offered and in the knockout's "
             "pause: the script starts over, the old prompts gone and their ids the game's, "
             "a second drowning",
             gameReloadedFrames, stageGameReloaded},
};

} // namespace

std::span<const Scenario> scenarios() {
    return registry;
}

const Scenario* findScenario(std::string_view name) {
    const auto found = std::ranges::find(registry, name, &Scenario::name);
    return found == registry.end() ? nullptr : &*found;
}

} // namespace sim
