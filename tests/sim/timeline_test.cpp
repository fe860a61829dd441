// The demo's timeline: entries grouped under load, each frame and unload, and
// scenario events shown before the frame that first sees them.
#include "host/native.h"
#include "host/native_hashes.h"

#include "host.h"
#include "stand_ins.h"
#include "timeline.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;

using sloshmere::native::PLAYER_PED_ID;
using test::noKeys;

void noScript() {}

// Ends the frame as a script's scriptWait(0) would, without a script fiber to
// wait on: the entry the hook records, then the frame's end.
void endFrame(sim::Host& host) {
    sim::TraceEntry& wait = host.trace.emplace_back();
    wait.kind = sim::TraceEntry::Kind::Wait;
    wait.frame = host.frame;
    wait.gameTime = host.world.gameTimer;
    wait.args.push_back(0);
    host.advanceFrame();
}

TEST(Timeline, GroupsTheTraceByLoadFramesAndUnload) {
    sim::Host host;
    host.handle(0x1234567890ABCDEF, [](sim::NativeCall&) {});
    // Results as the handler typed them: a float as a float, not its bits,
    // and an answer of 0 apart from no answer.
    host.handle(0x1111, [](sim::NativeCall& call) { call.returnFloat(1.5F); });
    host.handle(0x2222, [](sim::NativeCall& call) { call.returnBool(false); });
    sim::TimelineMarks marks;
    const auto module = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x180000000));

    // Late in a long run, as in a scenario: the header must not be cut.
    host.frame = 99;
    host.world.gameTimer = 3'603'267;
    host.hookScriptRegister(module, noScript);
    host.hookKeyboardRegister(noKeys);
    marks.loaded = host.trace.size();
    sloshmere::callNative<std::int32_t>(PLAYER_PED_ID);
    endFrame(host);
    marks.events.push_back({host.frame, "the player grabs pedestrian 5"});
    marks.events.push_back({host.frame + 5, "after the last frame"});
    sloshmere::callNative(0x1234567890ABCDEF, std::int32_t{5});
    sloshmere::callNative(0x1111);
    sloshmere::callNative(0x2222);
    endFrame(host);
    marks.unloading = host.trace.size();
    host.hookScriptUnregister(module);
    host.hookKeyboardUnregister(noKeys);

    // The widest label sets the column every call starts in.
    EXPECT_THAT(sim::timeline(host.trace, marks),
                ElementsAre("load                     scriptRegister",
                            "                         keyboardHandlerRegister",
                            "frame 99  t=3603267 ms   PLAYER_PED_ID() -> 1",
                            "                         scriptWait(0)",
                            "                         ~ the player grabs pedestrian 5",
                            "frame 100  t=3603300 ms  0x1234567890ABCDEF(5)",
                            "                         0x0000000000001111() -> 1.5",
                            "                         0x0000000000002222() -> false",
                            "                         scriptWait(0)",
                            "                         ~ after the last frame",
                            "unload                   scriptUnregister",
                            "                         keyboardHandlerUnregister"));
}

} // namespace
