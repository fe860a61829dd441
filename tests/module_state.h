// Puts every module-wide value back to what it is when the library loads, so
// a test does not inherit another's prompt, handles or settings.
#pragma once

#include "drown/prompt.h"
#include "host/script.h"
#include "log/session_log.h"
#include "settings/settings.h"

namespace test {

inline void resetModuleState() {
    sloshmere::playerPed = 0;
    sloshmere::victimPed = 0;
    sloshmere::nearestPed = 0;
    sloshmere::drownPrompt = 0;
    sloshmere::promptActive = false;
    sloshmere::promptText = "Drown";
    sloshmere::promptControl = 0xFFFFFFFFU;
    sloshmere::settingsFileName = "Sloshmere.ini";
    sloshmere::settingsDocument.clear();
    sloshmere::logRequested = false;
    sloshmere::stopLog();
}

} // namespace test
