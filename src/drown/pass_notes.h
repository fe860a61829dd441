// What a loop pass did, noted as plain values by the drowning's code that did
// it, so the log can tell it after the pass. Noting is a store or two of values the pass
// already holds: nothing here formats, allocates or asks the game anything,
// and with the log off nobody reads the notes.
#pragma once

#include "host/native.h"

#include <cstdint>

namespace sloshmere {

// What the watcher found in one pass, in the order it tests.
enum class WatchOutcome : std::uint8_t {
    None,            // no pass noted yet
    PlayerBusy,      // the player is in a catalogued grapple action
    VictimBusy,      // the grappled pedestrian is
    NoTrough,        // no trough within reach of the player
    FlagNotHeld,     // a trough, but the grapple flag is not 1
    StateNotOffered, // a trough, the flag held, but not an offer state
    Offerable,       // a trough, the flag held and an offer state
};

// What a completed hold came to.
enum class PlacementResult : std::uint8_t {
    Placed,
    PlayerGone,
    VictimGone,
    NoTrough,
};

// Things that happen within a pass, one bit each, in the order they happen.
namespace passEvent {
inline constexpr std::uint32_t promptNotMade = 1U << 0U;  // the grappled pedestrian is gone
inline constexpr std::uint32_t promptMade = 1U << 1U;     // registered and shown
inline constexpr std::uint32_t promptShown = 1U << 2U;    // a live prompt enabled and shown
inline constexpr std::uint32_t promptHeldBack = 1U << 3U; // a live prompt disabled and hidden
inline constexpr std::uint32_t promptPutAway = 1U << 4U;  // hidden and no longer live, not deleted
inline constexpr std::uint32_t holdCompleted = 1U << 5U;
inline constexpr std::uint32_t promptRetired = 1U << 6U; // deleted, dictionaries released
inline constexpr std::uint32_t choke = 1U << 7U;
inline constexpr std::uint32_t chokeIntro = 1U << 8U;
inline constexpr std::uint32_t chokeOutro = 1U << 9U;
inline constexpr std::uint32_t attack = 1U << 10U;
inline constexpr std::uint32_t knockout = 1U << 11U;
inline constexpr std::uint32_t breakoutThrow = 1U << 12U;
// The settings file read afresh as the prompt is offered; it may turn the log
// on or off.
inline constexpr std::uint32_t settingsRead = 1U << 13U;
// The drowning's phases: told as each starts, not on every pass it lasts.
inline constexpr std::uint32_t phases =
    choke | chokeIntro | chokeOutro | attack | knockout | breakoutThrow;
} // namespace passEvent

struct PassNotes {
    // Loop passes since the module was loaded.
    std::uint64_t pass = 0;
    WatchOutcome outcome = WatchOutcome::None;
    // Index into grappleActionNames of the action that made the pair busy.
    std::uint32_t busyAction = 0;
    // The player's position as the watcher read it.
    Vector3 position{};
    std::int32_t grappleFlag = 0;
    std::uint32_t grappleState = 0;
    // passEvent bits of this pass, cleared as each pass starts.
    std::uint32_t events = 0;
    // The prompt made: its id and group (-1 for none); or the victim that
    // was not there.
    PromptId promptId = 0;
    std::int32_t promptGroup = 0;
    Entity missingVictim = 0;
    // The completed hold.
    PlacementResult placement = PlacementResult::Placed;
    Vector3 playerPlaced{};
    Vector3 victimPlaced{};
    float heading = 0.0F;
    bool byTroughFacing = false;
    bool groundFound = false;
    // How long the knockout's pause lasted in game time.
    std::int32_t knockoutWaitedMs = 0;
    // The pass that last read the settings file for the prompt; 0 before any.
    std::uint64_t settingsReadPass = 0;
};

// The notes of the pass under way, or of the last one between passes.
extern PassNotes passNotes;

inline void notePassEvent(std::uint32_t event) noexcept {
    passNotes.events |= event;
}

} // namespace sloshmere
