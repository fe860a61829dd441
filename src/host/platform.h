// The Windows types and calls the module uses. On Windows they come from the
// system headers; on Linux the simulated host supplies the two clock calls so
// the same sources build and run against it unchanged.
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
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using BYTE = std::uint8_t;
using BOOL = int;
using UINT64 = std::uint64_t;
using PUINT64 = std::uint64_t*;
using ULONGLONG = std::uint64_t;
using LPVOID = void*;
// The incomplete type windows.h declares, so HMODULE is the same kind of
// pointer on both systems.
struct HINSTANCE__; // NOLINT(bugprone-reserved-identifier)
using HMODULE = HINSTANCE__*;

#define APIENTRY
#define TRUE 1
#define FALSE 0
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

extern "C" DWORD GetTickCount();
extern "C" ULONGLONG GetTickCount64();
#endif
