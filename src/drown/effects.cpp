#include "drown/effects.h"

#include "drown/actions.h"
#include "drown/handles.h"
#include "drown/pass_notes.h"
#include "host/native_hashes.h"

namespace sloshmere {

namespace {

constexpr const char* splashAsset = "anm_sal";
constexpr const char* splashEffect = "ent_anim_sal1_drown_splash_enter";
// Where the splash sits on the victim: six floats, in argument order.
constexpr std::array<float, 6> splashPlacement = {-0.04F, 0.0F, -0.07F, -180.0F, -45.0F, 0.0F};
// The fixed integer the game takes after the placement.
constexpr std::int32_t splashInt = 27981;
constexpr float struggleSplashScale = 0.5F;
constexpr float knockoutSplashScale = 1.0F;

constexpr const char* drowningLine = "DROWNING";
constexpr const char* drowningSpeechParams = "Speech_Params_Beat_Shouted_Clear_AllowPlayAfterDeath";
constexpr const char* coughLine = "POST_DROWN_COUGH";
constexpr const char* coughSpeechParams = "speech_params_force_shouted_clear";

constexpr std::int32_t breakoutPad = 0;
constexpr GameHash breakoutControl = 0xD0C1FEFF; // INPUT_MELEE_GRAPPLE_BREAKOUT
constexpr const char* throwAction = "ACT_GRAPPLE_THROW_FRONT";
constexpr std::int32_t throwFlags = 0x8000;

// Asks the game for the hash of `action` now and whether the player is in it.
bool playerIn(const char* action) {
    const auto hash = callNative<GameHash>(native::GET_HASH_KEY, action);
    return isPedInAction(playerPed, hash) != 0;
}

// The cough after the player eases the choke or strikes: both follow the
// same half-second beat.
void playCoughBeat(std::uint32_t phase) {
    notePassEvent(phase);
    waitGameTime(shortPauseMs);
    playDrownSplash(victimPed, struggleSplashScale);
    playVictimSpeech(coughLine, coughSpeechParams);
}

void finishKnockout() {
    callNative(native::KNOCKOUT_FINISH_1, victimPed, std::int32_t{1});
    callNative(native::KNOCKOUT_FINISH_2, victimPed, playerPed, std::int32_t{0});
    callNative(native::KNOCKOUT_FINISH_3, victimPed, std::int32_t{1});
    callNative(native::KNOCKOUT_FINISH_4, victimPed, std::int32_t{0}, std::int32_t{0});
}

void throwVictim() {
    const auto action = callNative<GameHash>(native::GET_HASH_KEY, throwAction);
    callNative(native::THROW_SET_ACTION, playerPed, action);
    callNative(native::THROW_SET_FLAGS, playerPed, throwFlags, std::int32_t{0});
    callNative(native::THROW_START, victimPed, playerPed, std::int32_t{1}, std::int32_t{1},
               std::int32_t{1});
}

} // namespace

std::int32_t playDrownSplash(Entity ped, float scale) {
    callNative(native::USE_PARTICLE_FX_ASSET, splashAsset);
    return callNative<std::int32_t>(
        native::PLAY_PARTICLE_FX_ON_PED, splashEffect, ped, splashPlacement[0], splashPlacement[1],
        splashPlacement[2], splashPlacement[3], splashPlacement[4], splashPlacement[5], splashInt,
        scale, std::int32_t{0}, std::int32_t{0}, std::int32_t{0});
}

void playVictimSpeech(const char* line, const char* speechParams) {
    // Each slot is laid out as a native argument would be: the address of the
    // line, then 32-bit values zero-extended, so the high halves are clean and
    // the game sees the same record every time.
    SpeechRequest request{};
    request.slots[0] = nativeSlot(line);
    request.slots[1] = 0;
    request.slots[2] = nativeSlot(-1);
    request.slots[3] = nativeSlot(callNative<GameHash>(native::GET_HASH_KEY, speechParams));
    request.slots[4] = nativeSlot(playerPed);
    request.slots[5] = nativeSlot(1);
    request.slots[6] = nativeSlot(1);
    request.slots[7] = nativeSlot(1);
    callNative(native::PLAY_PED_AMBIENT_SPEECH_NATIVE, victimPed, &request);
}

std::int32_t waitGameTime(std::int32_t ms) {
    // The clock is read unsigned and the difference taken modulo 2^32, then
    // seen as signed: the pause still ends when the clock wraps past its
    // largest value, and no signed arithmetic can overflow.
    const auto start = callNative<std::uint32_t>(native::GET_GAME_TIMER);
    auto now = callNative<std::uint32_t>(native::GET_GAME_TIMER);
    while (static_cast<std::int32_t>(now - start) < ms) {
        scriptWait(0);
        now = callNative<std::uint32_t>(native::GET_GAME_TIMER);
    }
    return static_cast<std::int32_t>(now - start);
}

void playDrownEffects() {
    if (callNative<GameHash>(native::PED_GRAPPLE_STATE, playerPed) != drowningState) {
        return;
    }
    // Every step asks afresh and none excludes another: a step after a pause
    // sees the player's action as it is after that pause.
    if (playerIn(chokeAction)) {
        notePassEvent(passEvent::choke);
        playDrownSplash(victimPed, struggleSplashScale);
        playVictimSpeech(drowningLine, drowningSpeechParams);
    }
    if (playerIn(chokeIntroAction)) {
        notePassEvent(passEvent::chokeIntro);
        waitGameTime(shortPauseMs);
        playDrownSplash(victimPed, struggleSplashScale);
    }
    if (playerIn(chokeOutroAction)) {
        playCoughBeat(passEvent::chokeOutro);
    }
    if (playerIn(attackAction)) {
        playCoughBeat(passEvent::attack);
    }
    if (playerIn(knockoutAction)) {
        playVictimSpeech(drowningLine, drowningSpeechParams);
        playDrownSplash(victimPed, knockoutSplashScale);
        passNotes.knockoutWaitedMs = waitGameTime(knockoutDelayMs);
        notePassEvent(passEvent::knockout);
        finishKnockout();
    }
    if (callNative<bool>(native::IS_CONTROL_USED, breakoutPad, breakoutControl)) {
        notePassEvent(passEvent::breakoutThrow);
        throwVictim();
    }
}

} // namespace sloshmere
