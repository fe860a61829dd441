// The demo's timeline: entries grouped under load, each frame and unload, and
// scenario events shown before the frame that first sees them.
#include "host/entry.h"
#include "host/script.h"

#include "host.h"
#include "timeline.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;

TEST(Timeline, GroupsTheTraceByLoadFramesAndUnload) {
    sim::Host host;
    host.world.addPed(1);
    sim::TimelineMarks marks;
    const auto module = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x180000000));

    DllMain(module, DLL_PROCESS_ATTACH, nullptr);
    marks.loaded = host.trace.size();
    sloshmere::loopPass();
    host.world.findPed(1)->grapplePartner = 5;
    marks.events.push_back({host.frame, "the player grabs pedestrian 5"});
    sloshmere::loopPass();
    marks.unloading = host.trace.size();
    DllMain(module, DLL_PROCESS_DETACH, nullptr);

    EXPECT_THAT(
        sim::timeline(host.trace, marks),
        ElementsAre(
            "load              scriptRegister", "                  keyboardHandlerRegister",
            "frame 0  0 ms     PLAYER_PED_ID() -> 0x1", "                  PED_GRAPPLE_PARTNER(1)",
            "                  scriptWait(0)", "                  ~ the player grabs pedestrian 5",
            "frame 1  33 ms    PLAYER_PED_ID() -> 0x1",
            "                  PED_GRAPPLE_PARTNER(1) -> 0x5", "                  scriptWait(0)",
            "unload            scriptUnregister", "                  keyboardHandlerUnregister"));
}

} // namespace
