// The key state table: which messages land, and what each one keeps.
#include "host/keyboard.h"

#include "host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace {

using sloshmere::KeyRecord;
using sloshmere::keyStates;
using sloshmere::onKeyboard;

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override { keyStates.fill(KeyRecord{}); }
    sim::Host host;
};

TEST_F(KeyboardTest, OnlyCodesUpTo254AreStored) {
    struct Case {
        DWORD key;
        bool stored;
    };
    const Case cases[] = {{0, true}, {254, true}, {255, false}, {256, false}, {0xFFFFFFFF, false}};
    for (const Case& c : cases) {
        keyStates.fill(KeyRecord{});
        const auto before = keyStates;
        host.world.tickMs = 4242;
        onKeyboard(c.key, 1, 0x1C, FALSE, TRUE, FALSE, TRUE);
        if (c.stored) {
            EXPECT_EQ(keyStates[c.key], (KeyRecord{4242, TRUE, FALSE, TRUE})) << "key " << c.key;
        } else {
            EXPECT_TRUE(keyStates == before) << "key " << c.key << " must change nothing";
        }
    }
}

TEST_F(KeyboardTest, ASecondMessageForTheSameKeyReplacesTheWholeRecord) {
    host.world.tickMs = 100;
    onKeyboard(0x41, 1, 0x1E, FALSE, TRUE, TRUE, FALSE);
    host.world.tickMs = 250;
    onKeyboard(0x41, 7, 0x9E, TRUE, FALSE, FALSE, TRUE);
    EXPECT_EQ(keyStates[0x41], (KeyRecord{250, FALSE, FALSE, TRUE}));
}

TEST_F(KeyboardTest, RepeatCountScanCodeAndExtendedFlagLeaveNoTrace) {
    host.world.tickMs = 9;
    onKeyboard(0x20, 1, 0x39, FALSE, FALSE, TRUE, FALSE);
    const KeyRecord first = keyStates[0x20];
    onKeyboard(0x20, 300, 0xB9, TRUE, FALSE, TRUE, FALSE);
    EXPECT_EQ(keyStates[0x20], first);
}

TEST_F(KeyboardTest, TheHookDeliversMessagesToTheRegisteredCallback) {
    host.hookKeyboardRegister(onKeyboard);
    host.world.tickMs = 77;
    host.sendKey(0x0D, 1, 0x1C, FALSE, FALSE, FALSE, TRUE);
    EXPECT_EQ(keyStates[0x0D], (KeyRecord{77, FALSE, FALSE, TRUE}));
}

} // namespace
