// The latest key message for each virtual-key code, as the hook delivers them.
#pragma once

#include "host/platform.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace sloshmere {

struct KeyRecord {
    std::uint32_t tickMs; // GetTickCount when the message arrived
    BOOL altDown;         // with-Alt, as received
    BOOL downBefore;      // was-down-before, as received
    BOOL upNow;           // is-up-now, as received

    bool operator==(const KeyRecord&) const = default;
};

// Codes 0 to 254; 255 and above are not keys.
inline constexpr std::size_t keyCodeCount = 255;

// Written by onKeyboard only; nothing in the module reads it yet.
extern std::array<KeyRecord, keyCodeCount> keyStates;

// The keyboard callback handed to the hook. Runs on whatever thread the hook
// delivers key messages on, so it only stores plain values: no lock, no call
// into the hook, no allocation.
void onKeyboard(DWORD key, WORD repeats, BYTE scanCode, BOOL isExtended, BOOL withAlt,
                BOOL wasDownBefore, BOOL isUpNow);

} // namespace sloshmere
