// The nine functions a script hook exports, forwarded to the current host.
// Linux tests link them directly; on Windows the runner hands them to our
// ScriptHookRDR2.dll, which exports them under the hook's decorated names.
#include "host.h"

#include "host/hook.h"

extern "C" {

void scriptRegister(HMODULE module, ScriptEntry entry) {
    if (sim::Host* host = sim::Host::current()) {
        host->hookScriptRegister(module, entry);
    }
}

void scriptUnregister(HMODULE module) {
    if (sim::Host* host = sim::Host::current()) {
        host->hookScriptUnregister(module);
    }
}

void keyboardHandlerRegister(KeyboardHandler handler) {
    if (sim::Host* host = sim::Host::current()) {
        host->hookKeyboardRegister(handler);
    }
}

void keyboardHandlerUnregister(KeyboardHandler handler) {
    if (sim::Host* host = sim::Host::current()) {
        host->hookKeyboardUnregister(handler);
    }
}

void scriptWait(DWORD ms) {
    if (sim::Host* host = sim::Host::current()) {
        host->hookScriptWait(ms);
    }
}

void nativeInit(UINT64 hash) {
    if (sim::Host* host = sim::Host::current()) {
        host->hookNativeInit(hash);
    }
}

void nativePush64(UINT64 value) {
    if (sim::Host* host = sim::Host::current()) {
        host->hookNativePush(value);
    }
}

PUINT64 nativeCall() {
    // With no host the module still gets a readable, zeroed result area.
    static UINT64 none[8] = {};
    sim::Host* host = sim::Host::current();
    return host != nullptr ? host->hookNativeCall() : none;
}

int worldGetAllPeds(int* handles, int capacity) {
    sim::Host* host = sim::Host::current();
    return host != nullptr ? host->hookGetAllPeds(handles, capacity) : 0;
}

#ifndef _WIN32
// Linux has no Windows clock; the simulated one is set by the test.
DWORD GetTickCount() {
    sim::Host* host = sim::Host::current();
    return host != nullptr ? static_cast<DWORD>(host->world.tickMs) : 0U;
}

ULONGLONG GetTickCount64() {
    sim::Host* host = sim::Host::current();
    return host != nullptr ? host->world.tickMs : 0U;
}
#endif
}
