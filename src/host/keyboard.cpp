#include "host/keyboard.h"

namespace sloshmere {

std::array<KeyRecord, keyCodeCount> keyStates{};

void onKeyboard(DWORD key, WORD /*repeats*/, BYTE /*scanCode*/, BOOL /*isExtended*/, BOOL withAlt,
                BOOL wasDownBefore, BOOL isUpNow) {
    if (key >= keyCodeCount) {
        return;
    }
    KeyRecord& record = keyStates[key];
    record.tickMs = GetTickCount();
    record.altDown = withAlt;
    record.downBefore = wasDownBefore;
    record.upNow = isUpNow;
}

} // namespace sloshmere
