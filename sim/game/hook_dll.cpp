// The simulated ScriptHookRDR2.dll: the nine exports a script module imports,
// under the hook's decorated names (see ScriptHookRDR2.def), each forwarded
// through the table the runner connects. Nothing else lives here.
#include "hook_table.h"

namespace {

const SimHookTable* connected = nullptr;
// Handed out while no runner is connected, so a module always reads zeros:
// the hook's result area is 32 slots of 8 bytes.
UINT64 noResult[32] = {};

} // namespace

extern "C" {

void simHookConnect(const SimHookTable* table) {
    connected = table;
}

void forwardScriptRegister(HMODULE module, ScriptEntry entry) {
    if (connected != nullptr) {
        connected->scriptRegister(module, entry);
    }
}

void forwardScriptUnregister(HMODULE module) {
    if (connected != nullptr) {
        connected->scriptUnregister(module);
    }
}

void forwardKeyboardHandlerRegister(KeyboardHandler handler) {
    if (connected != nullptr) {
        connected->keyboardHandlerRegister(handler);
    }
}

void forwardKeyboardHandlerUnregister(KeyboardHandler handler) {
    if (connected != nullptr) {
        connected->keyboardHandlerUnregister(handler);
    }
}

void forwardScriptWait(DWORD ms) {
    if (connected != nullptr) {
        connected->scriptWait(ms);
    }
}

void forwardNativeInit(UINT64 hash) {
    if (connected != nullptr) {
        connected->nativeInit(hash);
    }
}

void forwardNativePush64(UINT64 value) {
    if (connected != nullptr) {
        connected->nativePush64(value);
    }
}

PUINT64 forwardNativeCall() {
    return connected != nullptr ? connected->nativeCall() : noResult;
}

int forwardWorldGetAllPeds(int* handles, int capacity) {
    return connected != nullptr ? connected->worldGetAllPeds(handles, capacity) : 0;
}
}
