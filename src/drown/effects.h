// The drowning effects: splashes and voice lines on the victim that follow the
// player's choke, the knockout finish and the breakout throw.
#pragma once

#include "host/native.h"

#include <array>
#include <cstdint>
#include <type_traits>

namespace sloshmere {

// The parameter record of a voice line, filled in the module's own memory and
// read by the game during the speech call only. Eight 8-byte slots; 32-bit
// values sit in the low four bytes of their slot with the high four zeroed.
struct SpeechRequest {
    std::array<std::uint64_t, 8> slots;
};
static_assert(sizeof(SpeechRequest) == 64, "the game reads exactly eight 8-byte slots");
static_assert(alignof(SpeechRequest) == 8);
static_assert(std::is_standard_layout_v<SpeechRequest> &&
              std::is_trivially_copyable_v<SpeechRequest>);

// Plays this pass's effects for playerPed and victimPed, as the player's
// grapple action calls for them. May hold the pass for many frames.
void playDrownEffects();

// Plays the drowning splash on `ped` at `scale`; returns the game's answer.
std::int32_t playDrownSplash(Entity ped, float scale);

// Has victimPed speak `line` with the named speech parameter set.
void playVictimSpeech(const char* line, const char* speechParams);

// Yields one frame at a time until `ms` of game time have passed since the
// call; returns at once, without yielding, when they already have. Returns
// the game time that passed, by the game timer's last reading.
std::int32_t waitGameTime(std::int32_t ms);

} // namespace sloshmere
