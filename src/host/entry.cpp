#include "host/entry.h"

#include "host/hook.h"
#include "host/keyboard.h"
#include "host/script.h"
#include "log/session_log.h"

// Only registration happens here: the loader lock is held during DllMain, and
// the hook starts the script later on its own fiber.
extern "C" BOOL APIENTRY DllMain(HMODULE module, DWORD reason, LPVOID /*reserved*/) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        scriptRegister(module, sloshmere::scriptEntry);
        keyboardHandlerRegister(sloshmere::onKeyboard);
        break;
    case DLL_PROCESS_DETACH:
        // Unregistering only takes back the registrations, script first as it
        // was made first; it stops nothing. No pass runs here all the same:
        // the hook deletes the script's fiber before it frees the library.
        scriptUnregister(module);
        keyboardHandlerUnregister(sloshmere::onKeyboard);
        // The script no longer runs: the log gets its last line and is closed.
        sloshmere::stopLog();
        break;
    default:
        break;
    }
    return TRUE;
}
