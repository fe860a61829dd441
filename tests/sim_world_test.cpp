// The simulated world's pedestrian lookup: the table the benchmarks turn on
// must answer exactly as the plain search does.
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

} // namespace
