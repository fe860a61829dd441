// The drowning effects: splashes and voice lines on the victim that follow the
// player's choke, the knockout finish and the breakout throw.
#pragma once

#include "host/native.h"

#include <array>
#include <cstdint>
#include <type_traits>

namespace sloshmere {

// The player's grapple state while a drowning is under way; any other value
// means there is nothing to play this pass.
inline constexpr GameHash drowningState = 0x4CD05DF6;

// The grapple actions the effects follow, in the order they are answered.
inline constexpr const char* chokeAction = "AR_GRAPPLE_CHOKE";
inline constexpr const char* chokeIntroAction = "AR_GRAPPLE_CHOKE_INTRO";
inline constexpr const char* chokeOutroAction = "AR_GRAPPLE_CHOKE_OUTRO";
inline constexpr const char* attackAction = "AR_GRAPPLE_ATTACK";
inline constexpr const char* knockoutAction = "AR_GRAPPLE_CHOKE_KNOCKOUT";

// The beat of the splashes and coughs, and the pause before the knockout is
// finished, in milliseconds of game time.
inline constexpr std::int32_t shortPauseMs = 500;
inline constexpr std::int32_t knockoutDelayMs = 11000;

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
