// A script module that breaks one of the hook's fatal rules, the one named by
// the environment variable SLOSHMERE_BREAK_RULE: one on its script fiber, one
// in its attach, one in its detach; with none named it keeps them all. Loaded
// into the simulated game in place of Sloshmere.asi, it shows that the game
// closes wherever a rule is broken and names its cause.
#include "host/hook.h"

#include <cstring>

namespace {

constexpr UINT64 unknownNative = 0x1234567812345678;

char rule[64] = "";

bool breaking(const char* name) {
    return std::strcmp(rule, name) == 0;
}

void scriptMain() {
    for (;;) {
        if (breaking("no-native")) {
            nativeInit(unknownNative);
        }
        scriptWait(0);
    }
}

void onKey(DWORD, WORD, BYTE, BOOL, BOOL, BOOL, BOOL) {}

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
        keyboardHandlerRegister(onKey);
    } else if (reason == DLL_PROCESS_DETACH) {
        scriptUnregister(module);
        keyboardHandlerUnregister(onKey);
    }
    return TRUE;
}
