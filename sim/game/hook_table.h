// What the simulated ScriptHookRDR2.dll forwards to. The runner and the hook
// DLL are separate images, each with its own static copy of the C++ runtime,
// so nothing but plain C types crosses between them: all of the simulated
// host lives in the runner, and the hook DLL holds only a table of the
// runner's nine hook functions and forwards each export through it.
#pragma once

#include "host/hook.h"

extern "C" {

struct SimHookTable {
    void (*scriptRegister)(HMODULE, ScriptEntry);
    void (*scriptUnregister)(HMODULE);
    void (*keyboardHandlerRegister)(KeyboardHandler);
    void (*keyboardHandlerUnregister)(KeyboardHandler);
    void (*scriptWait)(DWORD);
    void (*nativeInit)(UINT64);
    void (*nativePush64)(UINT64);
    PUINT64 (*nativeCall)();
    int (*worldGetAllPeds)(int*, int);
};

// Exported by the simulated hook under this plain name. The table must outlive
// the connection; null disconnects, after which the exports do nothing.
using SimHookConnect = void (*)(const SimHookTable*);
}
