// A script module that breaks one of the hook's fatal rules, the one named by
// the environment variable SLOSHMERE_BREAK_RULE; with none named it keeps them
// all. Loaded into the simulated game in place of Sloshmere.asi, it shows
// that the game closes on each broken rule and names its cause.
#include "host/hook.h"

#include <cstring>

namespace {

constexpr UINT64 unknownNative = 0x1234567812345678;
constexpr UINT64 playerPedId = 0x096275889B8E0EE0;

char rule[64] = "";

bool breaking(const char* name) {
    return std::strcmp(rule, name) == 0;
}

void scriptMain() {
    for (;;) {
        if (breaking("no-native")) {
            nativeInit(unknownNative);
        } else if (breaking("33-arguments")) {
            nativeInit(playerPedId);
            for (UINT64 i = 0; i < 33; ++i) {
                nativePush64(i);
            }
        }
        scriptWait(0);
    }
}

void onKey(DWORD, WORD, BYTE, BOOL, BOOL, BOOL, BOOL) {}
void otherKey(DWORD, WORD, BYTE, BOOL, BOOL, BOOL, BOOL) {}

} // namespace

extern "C" BOOL APIENTRY DllMain(HMODULE module, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        const DWORD length = GetEnvironmentVariableA("SLOSHMERE_BREAK_RULE", rule, sizeof rule);
        if (length == 0 || length >= sizeof rule) {
            rule[0] = '\0';
        }
        if (!breaking("unregister-unknown")) {
            scriptRegister(module, scriptMain);
        }
        if (breaking("register-twice")) {
            scriptRegister(module, scriptMain);
        }
        if (breaking("wait-off-fiber")) {
            scriptWait(0);
        }
        keyboardHandlerRegister(onKey);
        if (breaking("keyboard-twice")) {
            keyboardHandlerRegister(onKey);
        }
    } else if (reason == DLL_PROCESS_DETACH) {
        scriptUnregister(module);
        keyboardHandlerUnregister(breaking("keyboard-unregister-unknown") ? otherKey : onKey);
    }
    return TRUE;
}
