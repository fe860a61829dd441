// The trough search and the placement of the pair: which troughs count, the
// order and arguments of every call, and the exact float bits the game gets.
#include "drown/trough.h"
#include "host/native_hashes.h"
#include "host/script.h"

#include "host.h"
#include "joaat.h"
#include "stand_ins.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

using sloshmere::native::DOES_ENTITY_EXIST;
using sloshmere::native::GET_ENTITY_COORDS;
constexpr std::uint64_t GET_CLOSEST_OBJECT_OF_TYPE = 0xE143FA2249364369;
constexpr std::uint64_t GET_ENTITY_FORWARD_VECTOR = 0x2412D9C05BB09B97;
constexpr std::uint64_t GET_GROUND_Z_FOR_3D_COORD = 0x24FA4267BB8D2431;
constexpr std::uint64_t SET_ENTITY_COORDS = 0x06843DA7060A026B;
constexpr std::uint64_t SET_ENTITY_HEADING = 0xCF2B9C0645C4651B;
constexpr std::uint64_t PED_PLACEMENT_SWITCH = 0xB128377056A54E2A;

constexpr std::uint32_t trough01 = sim::joaat("p_watertrough01x");
constexpr std::uint32_t trough02 = sim::joaat("p_watertrough02x");
constexpr std::uint32_t trough03 = sim::joaat("p_watertrough03x");
constexpr std::uint32_t trough01New = sim::joaat("p_watertrough01x_new");
constexpr std::uint32_t drowningMove = sim::joaat("AR_TO_TROUGH_FROM_STANDING_CUSTOM");

using test::player;
using test::victim;
constexpr int trough = 100;

std::uint32_t bits(float value) {
    return std::bit_cast<std::uint32_t>(value);
}
float fromBits(std::uint32_t value) {
    return std::bit_cast<float>(value);
}

std::string hex(std::uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%X", value);
    return buffer;
}

// Where the pair must end up, worked out here step by step in single precision
// without the module's code. The heading's arc tangent is the correctly rounded
// single-precision one, taken here in long double and rounded once, which is a
// different road from the module's; volatile keeps the compiler from folding it
// at build time.
struct Placement {
    std::uint32_t playerX, playerY, victimX, victimY, z, heading;
};

Placement expectedPlacement(sim::Vec3 p, sim::Vec3 t, sim::Vec3 forward,
                            std::optional<float> ground) {
    const float dx = t.x - p.x;
    const float dy = t.y - p.y;
    const float d = std::sqrt(dx * dx + dy * dy);
    float dirX = forward.x;
    float dirY = forward.y;
    if (d != 0.0F) {
        const float r = 1.0F / d;
        dirX = r * dx;
        dirY = r * dy;
    }
    const float back = fromBits(0x3F59999A);
    const float side = fromBits(0x3E4CCCCD);
    const float sx = t.x - dirX * back;
    const float sy = t.y - dirY * back;
    volatile float y = dirY;
    volatile float x = dirX;
    float heading =
        static_cast<float>(std::atan2(static_cast<long double>(y), static_cast<long double>(x))) *
        fromBits(0x42652EE0);
    if (!(heading >= 0.0F)) {
        heading += 360.0F;
    }
    return {bits(sx - dirY * side), bits(sy + dirX * side),     bits(sx + dirY * side),
            bits(sy - dirX * side), bits(ground.value_or(t.z)), bits(heading)};
}

// The call names of the trace, without their arguments.
std::vector<std::string> names(const sim::Host& host) {
    std::vector<std::string> out;
    for (const std::string& line : host.lines()) {
        out.push_back(line.substr(0, line.find('(')));
    }
    return out;
}

// A host with the player and the grapple victim, both existing, the module's
// handles pointing at them.
struct PairScene {
    PairScene() {
        host.world.playerHandle = player;
        host.world.addPed(player);
        host.world.addPed(victim).position = {50.0F, 50.0F, 50.0F};
        sloshmere::playerPed = player;
        sloshmere::victimPed = victim;
    }
    sim::Host host;
};

TEST(Trough, AlignmentMakesEveryCallInOrderWithItsArguments) {
    PairScene scene;
    sim::Host& host = scene.host;
    host.world.findPed(player)->position = {10.0F, 20.0F, 5.0F};
    host.world.addObject(trough, trough01, {11.0F, 20.0F, 5.0F});
    host.world.groundZ = 4.5F;

    sloshmere::alignAtTrough();

    EXPECT_THAT(
        host.lines(),
        ElementsAre(
            "DOES_ENTITY_EXIST(1) -> 0x1", "DOES_ENTITY_EXIST(2) -> 0x1",
            "GET_ENTITY_COORDS(1, 1, 1) -> 0x41200000",
            "GET_HASH_KEY(\"p_watertrough01x\") -> " + hex(trough01),
            "GET_HASH_KEY(\"p_watertrough02x\") -> " + hex(trough02),
            "GET_HASH_KEY(\"p_watertrough03x\") -> " + hex(trough03),
            "GET_HASH_KEY(\"p_watertrough01x_new\") -> " + hex(trough01New),
            "GET_CLOSEST_OBJECT_OF_TYPE(10, 20, 5, 1.5, " + hex(trough01) + ", 0, 0, 0) -> 0x64",
            "DOES_ENTITY_EXIST(100) -> 0x1", "DOES_ENTITY_EXIST(100) -> 0x1",
            "GET_ENTITY_COORDS(100, 1, 1) -> 0x41300000",
            "GET_GROUND_Z_FOR_3D_COORD(10.15, 20, 6, &record, 0) -> 0x1  ; "
            "ground 4.5 written",
            "PED_PLACEMENT_SWITCH(1, 0)", "PED_PLACEMENT_SWITCH(2, 0)",
            "SET_ENTITY_COORDS(1, 10.15, 20.2, 4.5, 0, 0, 0, 1)", "SET_ENTITY_HEADING(1, 0)",
            "SET_ENTITY_COORDS(2, 10.15, 19.8, 4.5, 0, 0, 0, 1)", "SET_ENTITY_HEADING(2, 0)",
            "GET_HASH_KEY(\"AR_TO_TROUGH_FROM_STANDING_CUSTOM\") -> " + hex(drowningMove),
            "START_PAIRED_ACTION(1, 2, " + hex(drowningMove) + ", 0, 0, 0, 0)",
            "PED_PLACEMENT_SWITCH(1, 1)", "PED_PLACEMENT_SWITCH(2, 1)"));
    // The radius travels as exactly 1.5, not a near value.
    EXPECT_EQ(host.calls(GET_CLOSEST_OBJECT_OF_TYPE).at(0)->floatBits(3), 0x3FC00000U);
    EXPECT_EQ(host.world.findPed(player)->pairedAction, drowningMove);
    EXPECT_EQ(host.world.findPed(player)->pairedPartner, victim);
    EXPECT_EQ(host.world.findPed(victim)->heading, 0.0F);
    EXPECT_TRUE(host.world.findPed(player)->placementSwitch);
}

// One row per geometry: the bits pushed for both pedestrians must be those of
// the single-precision steps, and the heading those of the axis it faces.
TEST(Trough, PlacementBitsMatchSinglePrecisionSteps) {
    struct Case {
        const char* name;
        sim::Vec3 player;
        sim::Vec3 trough;
        sim::Vec3 forward;
        std::optional<float> ground;
        std::optional<std::uint32_t> headingBits; // literal where it is known exactly
        bool usesForward;
    };
    const Case cases[] = {
        {"east",
         {0.0F, 0.0F, 0.0F},
         {1.0F, 0.0F, 0.5F},
         {0.0F, 1.0F, 0.0F},
         2.0F,
         0x00000000U,
         false},
        {"north",
         {3.0F, -2.0F, 0.0F},
         {3.0F, -1.0F, 0.5F},
         {0.0F, 1.0F, 0.0F},
         2.0F,
         0x42B40000U,
         false},
        {"west",
         {3.0F, 4.0F, 0.0F},
         {2.0F, 4.0F, 0.5F},
         {0.0F, 1.0F, 0.0F},
         2.0F,
         0x43340000U,
         false},
        {"south",
         {-7.0F, 1.25F, 0.0F},
         {-7.0F, 0.25F, 0.5F},
         {0.0F, 1.0F, 0.0F},
         2.0F,
         0x43870000U,
         false},
        {"oblique",
         {-312.7F, 1048.3F, 97.1F},
         {-311.9F, 1047.4F, 96.8F},
         {0.0F, 1.0F, 0.0F},
         96.5F,
         std::nullopt,
         false},
        {"oblique, no ground",
         {1.3F, 2.9F, 0.0F},
         {0.4F, 3.6F, 0.75F},
         {0.0F, 1.0F, 0.0F},
         std::nullopt,
         std::nullopt,
         false},
        // Two where a division per component, or the nearest value to 180/pi,
        // would send different bits.
        {"oblique, far from the origin",
         {-593.0F, 482.0F, 3.0F},
         {-591.85F, 482.54F, 2.5F},
         {0.0F, 1.0F, 0.0F},
         2.75F,
         std::nullopt,
         false},
        {"oblique, north-east",
         {173.0F, 232.0F, 40.0F},
         {174.1F, 232.36F, 40.0F},
         {0.0F, 1.0F, 0.0F},
         std::nullopt,
         std::nullopt,
         false},
        {"north-east diagonal",
         {2.0F, 3.0F, 0.0F},
         {3.0F, 4.0F, 0.5F},
         {0.0F, 1.0F, 0.0F},
         2.0F,
         0x42340000U,
         false},
        // Directions where one C runtime's atan2f misses the correctly
        // rounded value by one unit in the last place.
        {"almost east, where atan2f rounds down",
         {10.0F, 20.0F, 0.0F},
         {11.199975F, 20.0077496F, 0.5F},
         {0.0F, 1.0F, 0.0F},
         2.0F,
         0x3EBD72D3U,
         false},
        {"player right over the trough",
         {5.0F, 6.0F, 1.2F},
         {5.0F, 6.0F, 0.0F},
         {0.3F, -0.4F, 0.9F},
         0.25F,
         std::nullopt,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PairScene scene;
        sim::Host& fresh = scene.host;
        fresh.world.findPed(player)->position = c.player;
        fresh.world.addObject(trough, trough01, c.trough).forward = c.forward;
        fresh.world.groundZ = c.ground;

        sloshmere::alignAtTrough();

        const Placement want = expectedPlacement(c.player, c.trough, c.forward, c.ground);
        const auto coords = fresh.calls(SET_ENTITY_COORDS);
        const auto headings = fresh.calls(SET_ENTITY_HEADING);
        ASSERT_EQ(coords.size(), 2U);
        ASSERT_EQ(headings.size(), 2U);
        EXPECT_EQ(coords[0]->intArg(0), player);
        EXPECT_EQ(coords[0]->floatBits(1), want.playerX);
        EXPECT_EQ(coords[0]->floatBits(2), want.playerY);
        EXPECT_EQ(coords[0]->floatBits(3), want.z);
        EXPECT_EQ(coords[1]->intArg(0), victim);
        EXPECT_EQ(coords[1]->floatBits(1), want.victimX);
        EXPECT_EQ(coords[1]->floatBits(2), want.victimY);
        EXPECT_EQ(coords[1]->floatBits(3), want.z);
        EXPECT_EQ(headings[0]->floatBits(1), want.heading);
        EXPECT_EQ(headings[1]->floatBits(1), want.heading);
        if (c.headingBits) {
            EXPECT_EQ(want.heading, *c.headingBits) << "the independent steps disagree";
        }
        // The probe always starts 1.0 above the trough, found or not.
        EXPECT_EQ(fresh.calls(GET_GROUND_Z_FOR_3D_COORD).at(0)->floatBits(2),
                  bits(c.trough.z + 1.0F));
        EXPECT_EQ(fresh.calls(GET_ENTITY_FORWARD_VECTOR).size(), c.usesForward ? 1U : 0U);
        // The world really moved them.
        EXPECT_EQ(bits(fresh.world.findPed(player)->position.x), want.playerX);
        EXPECT_EQ(bits(fresh.world.findPed(victim)->position.y), want.victimY);
    }
}

TEST(Trough, TheFirstModelWithAnExistingObjectWins) {
    const sim::Vec3 at{100.0F, 200.0F, 10.0F};
    struct Object {
        int handle;
        std::uint32_t model;
        sim::Vec3 position;
        bool exists;
    };
    struct Case {
        const char* name;
        std::vector<Object> objects;
        int found;
        std::vector<std::uint32_t> searched;
    };
    const std::vector<Case> cases = {
        {"the first model, though a later one stands closer",
         {{7, trough02, {100.0F, 200.1F, 10.0F}, true},
          {8, trough01, {101.4F, 200.0F, 10.0F}, true}},
         8,
         {trough01}},
        {"a later model when the earlier ones have none in reach",
         {{7, trough01, {101.6F, 200.0F, 10.0F}, true},
          {9, trough03, {100.0F, 199.0F, 10.0F}, true}},
         9,
         {trough01, trough02, trough03}},
        {"the radius is inclusive",
         {{6, trough01New, {101.5F, 200.0F, 10.0F}, true}},
         6,
         {trough01, trough02, trough03, trough01New}},
        {"none in reach",
         {{7, trough01, {100.0F, 200.0F, 11.6F}, true}},
         0,
         {trough01, trough02, trough03, trough01New}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Host fresh;
        for (const Object& o : c.objects) {
            fresh.world.addObject(o.handle, o.model, o.position).exists = o.exists;
        }

        const std::array<std::uint32_t, 4> hashes = sloshmere::troughModelHashes();
        EXPECT_THAT(hashes, ElementsAre(trough01, trough02, trough03, trough01New));
        EXPECT_EQ(sloshmere::findTrough({at.x, at.y, at.z}, hashes), c.found);

        std::vector<std::uint32_t> searched;
        for (const sim::TraceEntry* search : fresh.calls(GET_CLOSEST_OBJECT_OF_TYPE)) {
            searched.push_back(search->uintArg(4));
            EXPECT_EQ(search->floatBits(0), bits(at.x));
            EXPECT_EQ(search->floatBits(1), bits(at.y));
            EXPECT_EQ(search->floatBits(2), bits(at.z));
            EXPECT_EQ(search->floatBits(3), 0x3FC00000U);
        }
        EXPECT_THAT(searched, ElementsAreArray(c.searched));
        // One existence check per search, and one more on the last handle.
        EXPECT_EQ(fresh.calls(DOES_ENTITY_EXIST).size(), c.searched.size() + 1);
    }
}

TEST(Trough, AHandleTheGameNoLongerKnowsIsNoTrough) {
    sim::Host host;
    // The search answers a handle whose object is already gone, for every model.
    host.handle(GET_CLOSEST_OBJECT_OF_TYPE, [](sim::NativeCall& call) { call.returnInt(555); });
    EXPECT_EQ(sloshmere::findTrough({0.0F, 0.0F, 0.0F}, sloshmere::troughModelHashes()), 0);
    EXPECT_EQ(host.calls(GET_CLOSEST_OBJECT_OF_TYPE).size(), 4U);
    EXPECT_EQ(host.calls(DOES_ENTITY_EXIST).size(), 5U);
}

TEST(Trough, AMissingPedestrianOrTroughMovesNothing) {
    struct Case {
        const char* name;
        void (*setUp)(sim::World&);
        std::vector<std::string> calls;
    };
    const std::vector<std::string> search = {"DOES_ENTITY_EXIST", "DOES_ENTITY_EXIST",
                                             "GET_ENTITY_COORDS", "GET_HASH_KEY",
                                             "GET_HASH_KEY",      "GET_HASH_KEY",
                                             "GET_HASH_KEY",      "GET_CLOSEST_OBJECT_OF_TYPE",
                                             "DOES_ENTITY_EXIST", "GET_CLOSEST_OBJECT_OF_TYPE",
                                             "DOES_ENTITY_EXIST", "GET_CLOSEST_OBJECT_OF_TYPE",
                                             "DOES_ENTITY_EXIST", "GET_CLOSEST_OBJECT_OF_TYPE",
                                             "DOES_ENTITY_EXIST", "DOES_ENTITY_EXIST"};
    const Case cases[] = {
        {"the player is gone",
         [](sim::World& w) { w.findPed(player)->exists = false; },
         {"DOES_ENTITY_EXIST"}},
        {"the victim is gone",
         [](sim::World& w) { w.findPed(victim)->exists = false; },
         {"DOES_ENTITY_EXIST", "DOES_ENTITY_EXIST"}},
        {"the player moved out of reach of the trough",
         [](sim::World& w) {
             w.findPed(player)->position = {2.6F, 0.0F, 0.0F};
         },
         search},
        {"the trough is gone", [](sim::World& w) { w.findObject(trough)->exists = false; }, search},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PairScene scene;
        sim::Host& fresh = scene.host;
        fresh.world.findPed(victim)->position = {0.5F, 0.5F, 0.0F};
        fresh.world.addObject(trough, trough01, {1.0F, 0.0F, 0.0F});
        fresh.world.groundZ = 0.0F;
        c.setUp(fresh.world);
        const sim::Vec3 playerWas = fresh.world.findPed(player)->position;

        sloshmere::alignAtTrough();

        EXPECT_THAT(names(fresh), ElementsAreArray(c.calls));
        EXPECT_EQ(fresh.calls(PED_PLACEMENT_SWITCH).size(), 0U);
        EXPECT_EQ(bits(fresh.world.findPed(player)->position.x), bits(playerWas.x));
        EXPECT_EQ(bits(fresh.world.findPed(victim)->position.x), bits(0.5F));
    }
}

TEST(Trough, AVictimHandleOfZeroEndsBeforeAnyPositionIsRead) {
    PairScene scene;
    sim::Host& host = scene.host;
    sloshmere::victimPed = 0;
    host.world.addObject(trough, trough01, {1.0F, 0.0F, 0.0F});
    sloshmere::alignAtTrough();
    EXPECT_THAT(names(host), ElementsAre("DOES_ENTITY_EXIST", "DOES_ENTITY_EXIST"));
    EXPECT_EQ(host.calls(GET_ENTITY_COORDS).size(), 0U);
}

} // namespace
