// What tests hand the module and the hook where only the kind of value matters:
// the player's and victim's handles, a module's, a keyboard handler for no keys.
#pragma once

#include "host/hook.h"

#include <cstdint>

namespace test {

inline constexpr int player = 1;
inline constexpr int victim = 2;

inline HMODULE fakeModule() {
    return reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x180000000));
}

inline void noKeys(DWORD, WORD, BYTE, BOOL, BOOL, BOOL, BOOL) {}

} // namespace test
