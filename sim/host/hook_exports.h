// The nine functions a script hook exports, as the simulated host defines them
// (hook_exports.cpp): each forwards to the current Host. On Linux the module
// links them directly; on Windows the simulated game hands them to our
// ScriptHookRDR2.dll. The module declares the same functions in
// src/host/hook.h; the game includes both, so a difference between the two
// fails its build.
#pragma once

#include "hook_types.h"

#include <cstdint>

extern "C" {
void scriptRegister(sim::ModuleHandle module, sim::ScriptEntry entry);
void scriptUnregister(sim::ModuleHandle module);
void keyboardHandlerRegister(sim::KeyboardHandler handler);
void keyboardHandlerUnregister(sim::KeyboardHandler handler);
void scriptWait(sim::Dword ms);
void nativeInit(std::uint64_t hash);
void nativePush64(std::uint64_t value);
std::uint64_t* nativeCall();
int worldGetAllPeds(int* handles, int capacity);

#ifndef _WIN32
// Linux has no Windows clock; these read the simulated one.
sim::Dword GetTickCount();
std::uint64_t GetTickCount64();
#endif
}
