// The nearby pedestrian scan: the bound, ties, the ten tests and where each one
// stops the questions, the host's count, and the scan's place in the loop.
#include "drown/scan.h"
#include "host/native_hashes.h"
#include "host/script.h"

#include "host.h"
#include "stand_ins.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Kind = sim::TraceEntry::Kind;

using sloshmere::native::DOES_ENTITY_EXIST;
using sloshmere::native::GET_ENTITY_COORDS;
using sloshmere::native::PLAYER_PED_ID;
constexpr std::uint64_t IS_PED_HUMAN = 0xB980061DA992779D;
constexpr std::uint64_t IS_ENTITY_DEAD = 0x7D5B1F88E7504BBA;
constexpr std::uint64_t IS_PED_ON_MOUNT = 0x460BC76A0E10655E;
constexpr std::uint64_t IS_PED_IN_ANY_VEHICLE = 0x997ABD671D25CA0B;
constexpr std::uint64_t PED_STATE_TEST_A = 0xDDE5C125AC446723;
constexpr std::uint64_t PED_STATE_TEST_B = 0xB655DB7582AEC805;
constexpr std::uint64_t PED_STATE_TEST_C = 0x47E4E977581C5B55;
constexpr std::uint64_t GET_PED_CONFIG_FLAG = 0x7EE53118C892B513;
constexpr std::uint64_t POINT_SEPARATION = 0xB7A628320EFF8E47;

using test::player;

// The natives of the scan that follow worldGetAllPeds, by label.
std::vector<std::string> callsAfterList(const sim::Host& host) {
    std::vector<std::string> out;
    bool listed = false;
    for (const sim::TraceEntry& entry : host.trace) {
        if (entry.kind == Kind::GetAllPeds) {
            listed = true;
        } else if (listed && entry.kind == Kind::Native) {
            out.emplace_back(sim::nativeLabel(entry.hash));
        }
    }
    return out;
}

// A host with the player at `at` and the module's handles cleared.
struct ScanScene {
    explicit ScanScene(sim::Vec3 at = {}) {
        host.world.playerHandle = player;
        host.world.addPed(player).position = at;
    }
    sim::Ped& add(int handle, float separation) {
        sim::Ped& ped = host.world.addPed(handle);
        // Distinct positions, since a separation belongs to the point it is asked for.
        ped.position = {static_cast<float>(handle), 0.0F, 0.0F};
        ped.separation = separation;
        return ped;
    }
    sim::Host host;
};

TEST(Scan, AnEligiblePedestrianIsAskedEverythingOnceInOrder) {
    ScanScene scene({1.5F, -2.0F, 3.25F});
    scene.add(5, 4.0F).position = {2.0F, 2.0F, 2.0F};
    scene.add(6, 3.0F).position = {4.0F, 4.0F, 4.0F};

    EXPECT_EQ(sloshmere::findNearestPed(), 6);

    const std::vector<std::string> perPed = {
        "PLAYER_PED_ID() -> 0x1", "DOES_ENTITY_EXIST(#) -> 0x1",
        "IS_PED_HUMAN(#) -> 0x1", "IS_ENTITY_DEAD(#)",
        "IS_PED_ON_MOUNT(#)",     "IS_PED_IN_ANY_VEHICLE(#, 0)",
        "PED_STATE_TEST_A(#)",    "PED_STATE_TEST_B(#)",
        "PED_STATE_TEST_C(#)",    "GET_PED_CONFIG_FLAG(#, 11, 1)",
    };
    std::vector<std::string> expected = {
        "PLAYER_PED_ID() -> 0x1", "GET_ENTITY_COORDS(1, 0, 0) -> 0x3FC00000",
        "worldGetAllPeds(capacity 1024) -> 3", "PLAYER_PED_ID() -> 0x1"};
    const auto addPed = [&](const char* id, const std::string& coords, const std::string& last) {
        for (std::string line : perPed) {
            if (const std::size_t at = line.find('#'); at != std::string::npos) {
                line.replace(at, 1, id);
            }
            expected.push_back(line);
        }
        expected.push_back(coords);
        expected.push_back(last);
    };
    addPed("5", "GET_ENTITY_COORDS(5, 0, 0) -> 0x40000000",
           "POINT_SEPARATION(1.5, -2, 3.25, 2, 2, 2) -> 0x40800000");
    addPed("6", "GET_ENTITY_COORDS(6, 0, 0) -> 0x40800000",
           "POINT_SEPARATION(1.5, -2, 3.25, 4, 4, 4) -> 0x40400000");
    EXPECT_THAT(scene.host.lines(), ElementsAreArray(expected));
}

TEST(Scan, TheBoundIsInclusiveAndTheLaterPedestrianWinsATie) {
    const float justAbove = std::nextafter(16.0F, 17.0F);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* name;
        std::vector<float> separations; // for handles 10, 11, ... in the host's order
        int chosen;
    };
    const std::vector<Case> cases = {
        {"exactly the bound", {16.0F}, 10},
        {"just above the bound", {justAbove}, 0},
        {"a tie goes to the later", {5.0F, 5.0F}, 11},
        {"a tie at the bound goes to the later", {16.0F, 16.0F}, 11},
        {"the nearer wins whatever the order", {3.0F, 7.0F}, 10},
        {"a nearer later one replaces an earlier one", {7.0F, 3.0F, 9.0F}, 11},
        // A NaN must not lower the bar for whoever follows it.
        {"a NaN separation is never chosen", {nan, 100.0F}, 0},
        {"a NaN separation leaves the bound as it was", {nan, 12.0F, justAbove}, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScanScene scene;
        for (std::size_t i = 0; i < c.separations.size(); ++i) {
            scene.add(10 + static_cast<int>(i), c.separations[i]);
        }
        EXPECT_EQ(sloshmere::findNearestPed(), c.chosen);
        // The bound reaches the game's answer unchanged: every eligible one was asked.
        EXPECT_EQ(scene.host.calls(POINT_SEPARATION).size(), c.separations.size());
    }
}

// Each test, failed alone, keeps a pedestrian however near, and no question
// after the failed one is asked about it.
TEST(Scan, EachTestExcludesAndEndsTheQuestions) {
    const std::vector<std::string> order = {
        "PLAYER_PED_ID",    "DOES_ENTITY_EXIST",     "IS_PED_HUMAN",     "IS_ENTITY_DEAD",
        "IS_PED_ON_MOUNT",  "IS_PED_IN_ANY_VEHICLE", "PED_STATE_TEST_A", "PED_STATE_TEST_B",
        "PED_STATE_TEST_C", "GET_PED_CONFIG_FLAG"};
    constexpr std::size_t allPass = 0;
    struct Case {
        const char* name;
        void (*fail)(sim::Ped&);
        std::size_t failsAt; // 1-based place of the failing test, or allPass
    };
    const Case cases[] = {
        {"gone", [](sim::Ped& p) { p.exists = false; }, 2},
        {"not human", [](sim::Ped& p) { p.human = false; }, 3},
        {"dead", [](sim::Ped& p) { p.dead = true; }, 4},
        {"mounted", [](sim::Ped& p) { p.onMount = true; }, 5},
        {"in a vehicle", [](sim::Ped& p) { p.inVehicle = true; }, 6},
        {"state test A", [](sim::Ped& p) { p.stateTestA = true; }, 7},
        {"state test B", [](sim::Ped& p) { p.stateTestB = true; }, 8},
        {"state test C", [](sim::Ped& p) { p.stateTestC = true; }, 9},
        {"config flag 11", [](sim::Ped& p) { p.configFlags = {11}; }, 10},
        {"other config flags",
         [](sim::Ped& p) {
             p.configFlags = {10, 12};
         },
         allPass},
        {"the grapple victim", [](sim::Ped& p) { p.grapplePartner = player; }, allPass},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScanScene scene;
        c.fail(scene.add(5, 0.5F));

        const int chosen = sloshmere::findNearestPed();

        // The player comes first in the list and is passed over at the first test.
        std::vector<std::string> expected = {"PLAYER_PED_ID"};
        const std::size_t asked = c.failsAt == allPass ? order.size() : c.failsAt;
        expected.insert(expected.end(), order.begin(),
                        order.begin() + static_cast<std::ptrdiff_t>(asked));
        if (c.failsAt == allPass) {
            expected.emplace_back("GET_ENTITY_COORDS");
            expected.emplace_back("POINT_SEPARATION");
        }
        EXPECT_THAT(callsAfterList(scene.host), ElementsAreArray(expected));
        EXPECT_EQ(chosen, c.failsAt == allPass ? 5 : 0);
    }
}

TEST(Scan, OnlyThePlayerInTheListIsNoChoice) {
    ScanScene scene;
    EXPECT_EQ(sloshmere::findNearestPed(), 0);
    EXPECT_THAT(callsAfterList(scene.host), ElementsAre("PLAYER_PED_ID"));
}

TEST(Scan, TheHostsCountIsHeldToTheBuffer) {
    struct Case {
        const char* name;
        int peds;
        std::optional<int> reported;
        std::size_t handlesRead;
    };
    const Case cases[] = {
        {"no pedestrian at all", 0, 0, 0},
        {"a negative count", 3, -1, 0},
        {"a count of zero despite pedestrians", 3, 0, 0},
        {"a count above the capacity", 1100, 5000, 1024},
        {"more pedestrians than the capacity", 1100, std::nullopt, 1024},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Host host;
        host.world.playerHandle = player;
        // Every pedestrian is the player's own handle, so each one read costs
        // exactly one question.
        for (int i = 0; i < c.peds; ++i) {
            host.world.addPed(player);
        }
        host.world.reportedPedCount = c.reported;

        EXPECT_EQ(sloshmere::findNearestPed(), 0);
        // The point is taken and the list asked for first, whatever follows.
        ASSERT_GE(host.trace.size(), 3U);
        EXPECT_EQ(host.trace[1].hash, GET_ENTITY_COORDS);
        EXPECT_EQ(host.trace[2].kind, Kind::GetAllPeds);
        EXPECT_EQ(host.trace[2].args.at(0), 1024U);
        EXPECT_EQ(callsAfterList(host).size(), c.handlesRead);
    }
}

TEST(Scan, TheLastHandleInAFullBufferIsRead) {
    sim::Host host;
    host.world.playerHandle = player;
    for (int i = 0; i < 1023; ++i) {
        host.world.addPed(player);
    }
    host.world.addPed(77).position = {3.0F, 0.0F, 0.0F};
    host.world.addPed(78); // beyond the buffer: never seen, though nearer
    host.world.reportedPedCount = 1025;
    EXPECT_EQ(sloshmere::findNearestPed(), 77);
}

TEST(Scan, TheLoopStoresTheScanAfterTheHandles) {
    ScanScene scene;
    scene.host.world.findPed(player)->grapplePartner = 9;
    scene.add(9, 2.0F);
    sloshmere::nearestPed = 0;

    sloshmere::loopPass();

    EXPECT_EQ(sloshmere::nearestPed, 9);
    const std::vector<std::string> lines = scene.host.lines();
    ASSERT_GE(lines.size(), 5U);
    EXPECT_EQ(lines[1], "PED_GRAPPLE_PARTNER(1) -> 0x9");
    EXPECT_EQ(lines[2], "PLAYER_PED_ID() -> 0x1") << "the scan starts right after the handles";
    EXPECT_EQ(lines[3], "GET_ENTITY_COORDS(1, 0, 0)");
    EXPECT_EQ(lines.back(), "scriptWait(0)");
}

} // namespace
