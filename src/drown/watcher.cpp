#include "drown/watcher.h"

#include "drown/actions.h"
#include "drown/handles.h"
#include "drown/pass_notes.h"
#include "drown/prompt.h"
#include "drown/trough.h"
#include "host/native_hashes.h"

#include <algorithm>
#include <vector>

namespace sloshmere {

Entity playerPed = 0;
Entity victimPed = 0;
Entity nearestPed = 0;
PassNotes passNotes;

namespace {

constexpr std::int32_t grappleFlagHolding = 1;

void showPrompt(bool shown) {
    const std::int32_t value = shown ? 1 : 0;
    callNative(native::PROMPT_SET_ENABLED, drownPrompt, value);
    callNative(native::PROMPT_SET_VISIBLE, drownPrompt, value);
}

// The catalogue index of the first grapple action the pedestrian performs,
// or grappleActionCount when none. The catalogue is built afresh for each
// walk and freed when the walk ends.
std::size_t grappleActionOf(Entity ped) {
    const std::vector<GameHash> actions = grappleActionHashes();
    const auto found = std::find_if(actions.begin(), actions.end(), [ped](GameHash action) {
        return isPedInAction(ped, action) != 0;
    });
    return static_cast<std::size_t>(found - actions.begin());
}

bool isOfferState(std::uint32_t state) {
    return std::find(offerStates.begin(), offerStates.end(), state) != offerStates.end();
}

} // namespace

void hidePrompt() {
    notePassEvent(promptActive ? passEvent::promptPutAway : 0U);
    showPrompt(false);
    promptActive = false;
}

void retirePrompt() {
    showPrompt(false);
    callNative(native::PROMPT_DELETE, drownPrompt);
    promptActive = false;
    notePassEvent(passEvent::promptRetired);
    for (const char* dict : drownAnimDicts) {
        callNative(native::REMOVE_ANIM_DICT, dict);
        scriptWait(0);
    }
}

void loadDrownAnimDicts() {
    for (const char* dict : drownAnimDicts) {
        if (callNative<bool>(native::DOES_ANIM_DICT_EXIST, dict)) {
            callNative(native::REQUEST_ANIM_DICT, dict);
            while (!callNative<bool>(native::HAS_ANIM_DICT_LOADED, dict)) {
                scriptWait(0);
            }
        }
        scriptWait(0);
    }
}

void watchGrapple() {
    // Asked every pass, before anything else: nothing is cached between frames.
    const auto position = callNative<Vector3>(native::GET_ENTITY_COORDS, playerPed, 1, 1);
    const auto troughHashes = troughModelHashes();

    // The victim's walk runs only when the player's finds nothing.
    std::size_t busyAction = grappleActionOf(playerPed);
    passNotes.outcome = WatchOutcome::PlayerBusy;
    if (busyAction == grappleActionCount) {
        busyAction = grappleActionOf(victimPed);
        passNotes.outcome = WatchOutcome::VictimBusy;
    }
    if (busyAction != grappleActionCount) {
        passNotes.busyAction = static_cast<std::uint32_t>(busyAction);
        hidePrompt();
        return;
    }
    if (findTrough(position, troughHashes) == 0) {
        passNotes.outcome = WatchOutcome::NoTrough;
        passNotes.position = position;
        if (promptActive) {
            hidePrompt();
        }
        return;
    }

    const auto state = callNative<std::uint32_t>(native::PED_GRAPPLE_STATE, playerPed);
    const auto flag = callNative<std::int32_t>(native::PED_GRAPPLE_FLAG, playerPed);
    const bool offer = flag == grappleFlagHolding && isOfferState(state);
    passNotes.outcome = offer                        ? WatchOutcome::Offerable
                        : flag != grappleFlagHolding ? WatchOutcome::FlagNotHeld
                                                     : WatchOutcome::StateNotOffered;
    passNotes.grappleFlag = flag;
    passNotes.grappleState = state;

    if (promptActive) {
        showPrompt(offer);
        notePassEvent(offer ? passEvent::promptShown : passEvent::promptHeldBack);
        if (flag != grappleFlagHolding) {
            retirePrompt();
        }
    } else if (offer) {
        createDrownPrompt();
        // Counted as live even if no prompt was made, so the next passes do
        // not register one per frame.
        promptActive = true;
        loadDrownAnimDicts();
    }

    if (callNative<bool>(native::PROMPT_HAS_HOLD_MODE_COMPLETED, drownPrompt)) {
        notePassEvent(passEvent::holdCompleted);
        alignAtTrough();
        retirePrompt();
    }
}

} // namespace sloshmere
