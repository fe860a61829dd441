#include "host/script.h"

#include "drown/effects.h"
#include "drown/pass_notes.h"
#include "drown/prompt.h"
#include "drown/scan.h"
#include "drown/watcher.h"
#include "host/native_hashes.h"
#include "log/session_log.h"

#include <cstdlib>

namespace sloshmere {

namespace {

// Every start of the script is a new world. When the game restarts its
// scripts (loading a save) the module stays loaded, but the game has dropped
// the prompts of the ended run and may give their ids to another script's
// prompts, so the prompt is forgotten rather than touched, even to delete it.
// The handles are refreshed at the top of each pass anyway; they start from
// none so nothing of the ended run can be read before that. The label and
// control stay: they are the player's settings, not the world's, and the next
// prompt reads them afresh. Returns whether the ended run left a live prompt.
bool startAfresh() {
    const bool hadPrompt = promptActive;
    forgetPrompt();
    playerPed = 0;
    victimPed = 0;
    nearestPed = 0;
    return hadPrompt;
}

void runPass() {
    ++passNotes.pass;
    passNotes.events = 0;
    playerPed = callNative<Entity>(native::PLAYER_PED_ID);
    // Whatever the game answers when the player holds nobody is stored as it
    // comes; the operations that use the handle test it themselves.
    victimPed = callNative<Entity>(native::PED_GRAPPLE_PARTNER, playerPed);
    nearestPed = findNearestPed();
    watchGrapple();
    playDrownEffects();
    // The log's whole cost while it is off, unless the pass re-read the
    // settings, which may turn it on.
    if (logWriting || (passNotes.events & passEvent::settingsRead) != 0) {
        logPass();
    }
    scriptWait(0);
}

} // namespace

void loopPass() {
    try {
        runPass();
        return;
    } catch (...) {
        // An exception that escaped the script entry would be caught by the
        // hook, which shows a message box and never runs the script again:
        // the prompt would be gone until the game restarts. Nothing of a
        // pass needs undoing, so drop it and carry on next frame.
    }
    // The pass may have ended before its own wait; yield here so the loop
    // still never spins without handing the frame back.
    scriptWait(0);
}

void scriptLoop() {
    for (;;) {
        loopPass();
    }
}

void scriptEntry() {
    // Nothing draws from the generator; it is seeded as the game's own
    // scripts are, so any later use starts from a different point each run.
    std::srand(static_cast<unsigned>(GetTickCount64() & 0xFFFFFFFFU));
    const bool promptForgotten = startAfresh();
    // Here and not in DllMain: the loader lock is held there, and the hook
    // starts the script again, without a new load, when the game restarts
    // its scripts.
    startLog();
    if (promptForgotten) {
        logPromptForgotten();
    }
    scriptLoop();
}

} // namespace sloshmere
