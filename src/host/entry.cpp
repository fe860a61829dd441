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
        // The script goes first, so no pass can run once the callback is gone.
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
