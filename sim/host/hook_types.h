// The types in the hook's nine functions, as the simulated host takes them.
// The host is written from the hook's interface, never from the module's
// headers (src/), so it spells these itself: on Windows the system's own
// types, on Linux types of the same size and kind. They are the very types the
// module declares the functions with (src/host/hook.h); the simulated game,
// which sees both, holds the two declarations to one signature (hook_exports.h).
#pragma once

#include <cstdint>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
// The incomplete type windows.h declares, so a module handle is the same kind
// of pointer on both systems.
struct HINSTANCE__; // NOLINT(bugprone-reserved-identifier)
#endif

namespace sim {

#ifdef _WIN32
using ModuleHandle = HMODULE;
using Dword = DWORD;
using Word = WORD;
using Byte = BYTE;
using Bool = BOOL;
#else
using ModuleHandle = HINSTANCE__*;
using Dword = std::uint32_t;
using Word = std::uint16_t;
using Byte = std::uint8_t;
using Bool = int;
#endif

using ScriptEntry = void (*)();
// Per key message: virtual-key code, repeat count, scan code, then
// is-extended, with-Alt, was-down-before, is-up-now.
using KeyboardHandler = void (*)(Dword, Word, Byte, Bool, Bool, Bool, Bool);

} // namespace sim
