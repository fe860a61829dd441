// Our declarations of the nine functions the script hook exports to script
// modules. The hook is a closed library; only these calling conventions are
// relied on. They are declared with C linkage so the code keeps plain names:
// on Windows an import library of our own maps each plain name to the hook's
// decorated export, and on Linux the simulated host defines them directly.
#pragma once

#include "host/platform.h"

using ScriptEntry = void (*)();

// Per key message: virtual-key code, repeat count, scan code, then
// is-extended, with-Alt, was-down-before, is-up-now.
using KeyboardHandler = void (*)(DWORD, WORD, BYTE, BOOL, BOOL, BOOL, BOOL);

extern "C" {
// The entry later runs on a script fiber, where scriptWait may be called.
void scriptRegister(HMODULE module, ScriptEntry entry);
void scriptUnregister(HMODULE module);
void keyboardHandlerRegister(KeyboardHandler handler);
void keyboardHandlerUnregister(KeyboardHandler handler);

// Yields the script fiber; 0 resumes on the next frame.
void scriptWait(DWORD ms);

// One native call: init with the hash, one push per argument, then call. The
// result area stays readable until the next nativeInit.
void nativeInit(UINT64 hash);
void nativePush64(UINT64 value);
PUINT64 nativeCall();

// Writes at most `capacity` pedestrian handles; 0 or less means none.
int worldGetAllPeds(int* handles, int capacity);
}
