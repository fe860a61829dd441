// Guarantees of the simulated host itself that tests and benchmarks lean on:
// the pedestrian table answers as the plain search does, and a frame hook may
// add hooks while it runs.
#include "host.h"
#include "world.h"

#include <gtest/gtest.h>

namespace {

TEST(SimWorldTest, TheIndexedLookupAnswersAsThePlainSearch) {
    sim::World world;
    world.addPed(5).position.x = 1.0F;
    world.addPed(-3);
    world.addPed(5).position.x = 2.0F; // a second pedestrian with the same handle
    world.addPed(0);

    sim::World indexed = world;
    indexed.indexPeds();
    for (const int handle : {5, -3, 0, 7}) {
        const sim::Ped* plain = world.findPed(handle);
        const sim::Ped* fast = indexed.findPed(handle);
        ASSERT_EQ(plain == nullptr, fast == nullptr) << "handle " << handle;
        if (plain != nullptr) {
            EXPECT_EQ(plain - world.peds.data(), fast - indexed.peds.data()) << "handle " << handle;
        }
    }

    // A pedestrian added after the index is still found: the table lapsed.
    indexed.addPed(7);
    ASSERT_NE(indexed.findPed(7), nullptr);
    EXPECT_EQ(indexed.findPed(7)->handle, 7);
}

TEST(SimHostTest, AFrameHookMayAddHooksWhileItRuns) {
    sim::Host host;
    int added = 0;
    int ran = 0;
    host.frameHooks.emplace_back([&added, &ran](sim::Host& h) {
        // Enough additions to outgrow any first allocation; the captures
        // are read after them.
        for (int i = 0; i < 40; ++i) {
            h.frameHooks.emplace_back([&ran](sim::Host&) { ++ran; });
        }
        added += 40;
    });
    host.advanceFrame();
    EXPECT_EQ(added, 40);
    EXPECT_EQ(ran, 40) << "hooks added during a frame run in that frame, after their maker";
}

} // namespace
