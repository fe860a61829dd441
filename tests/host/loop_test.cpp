// The script loop: what one pass asks of the game, that it yields exactly one
// frame, and that nothing thrown inside a pass reaches the hook.
#include "host/entry.h"
#include "host/native_hashes.h"
#include "host/script.h"

#include "host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace {

using ::testing::ElementsAre;
using Kind = sim::TraceEntry::Kind;

using sloshmere::native::PLAYER_PED_ID;
// Asked exactly once per pass, by the loop itself.
constexpr std::uint64_t PED_GRAPPLE_PARTNER = 0x18A3E9EE1297FD39;

class LoopTest : public ::testing::Test {
protected:
    LoopTest() {
        host.world.playerHandle = 7;
        host.world.addPed(7).grapplePartner = -12;
        host.world.addPed(-12);
    }
    sim::Host host;
};

TEST_F(LoopTest, APassRunsItsStepsInOrderAndYieldsOnce) {
    sloshmere::loopPass();

    const std::vector<std::string> lines = host.lines();
    const auto first = [&lines](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) - lines.begin();
    };
    ASSERT_GE(lines.size(), 4U);
    EXPECT_EQ(lines[0], "PLAYER_PED_ID() -> 0x7");
    EXPECT_EQ(lines[1], "PED_GRAPPLE_PARTNER(7) -> 0xFFFFFFF4");
    // Each later step announces itself by its first call: the scan lists the
    // pedestrians, the watcher asks for the player's position with flags
    // 1, 1, and the effects ask for the player's state last of all.
    const auto scan = first("worldGetAllPeds(capacity 1024) -> 2");
    const auto watcher = first("GET_ENTITY_COORDS(7, 1, 1)");
    const auto effects = first("PED_GRAPPLE_STATE(7)");
    EXPECT_LT(1, scan);
    EXPECT_LT(scan, watcher);
    EXPECT_LT(watcher, effects);
    EXPECT_EQ(effects, static_cast<std::ptrdiff_t>(lines.size()) - 2);
    EXPECT_EQ(lines.back(), "scriptWait(0)");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "scriptWait(0)"), 1);

    EXPECT_EQ(sloshmere::playerPed, 7);
    EXPECT_EQ(sloshmere::victimPed, -12);
    EXPECT_EQ(sloshmere::nearestPed, -12) << "the only other pedestrian, beside the player";
    EXPECT_EQ(host.frame, 1U);
}

TEST_F(LoopTest, AHandleOfZeroIsStoredAsItComes) {
    host.world.findPed(7)->grapplePartner = 0;
    sloshmere::loopPass();
    EXPECT_EQ(sloshmere::victimPed, 0);
    EXPECT_EQ(host.calls(PED_GRAPPLE_PARTNER).size(), 1U);
}

TEST_F(LoopTest, AnExceptionInAPassCostsOneFrameAndNothingElse) {
    host.handle(PLAYER_PED_ID, [](sim::NativeCall&) { throw std::runtime_error("game fault"); });
    EXPECT_NO_THROW(sloshmere::loopPass());
    EXPECT_THAT(host.lines(), ElementsAre("PLAYER_PED_ID()", "scriptWait(0)"));
    EXPECT_EQ(host.frame, 1U);
}

TEST_F(LoopTest, TheRegisteredScriptRunsOnePassPerFrameUntilUnloaded) {
    const auto module = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x180000000));
    DllMain(module, DLL_PROCESS_ATTACH, nullptr);
    host.runFrames(3);

    int waits = 0;
    int passes = 0;
    for (const auto& entry : host.trace) {
        waits += entry.kind == Kind::Wait ? 1 : 0;
        passes += entry.kind == Kind::Native && entry.hash == PED_GRAPPLE_PARTNER ? 1 : 0;
    }
    EXPECT_EQ(passes, 3);
    EXPECT_EQ(waits, 3);
    EXPECT_EQ(host.frame, 3U);

    DllMain(module, DLL_PROCESS_DETACH, nullptr);
    EXPECT_FALSE(host.scriptRegistered());
    EXPECT_FALSE(host.scriptEscaped()) << "the loop must never let an exception out";
}

} // namespace
