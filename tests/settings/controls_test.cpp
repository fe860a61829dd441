// The control name table: the values players' names resolve to, the two
// controls that break the naming rule, and names that must not match.
#include "settings/controls.h"

#include "joaat.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;
using sloshmere::controlNames;
using sloshmere::controlNameTable;
using sloshmere::GameHash;

TEST(ControlNameTable, KnownNamesYieldTheGamesHashes) {
    const std::vector<std::pair<std::string, GameHash>> cases = {
        {"INPUT_DUCK", 0xDB096B85},          {"INPUT_JUMP", 0xD9D0E1C0},
        {"INPUT_CONTEXT_A", 0x5181713D},     {"INPUT_MELEE_GRAPPLE_CHOKE", 0x018C47CF},
        {"INPUT_FRONTEND_DOWN", 0x05CA7C52}, {"INPUT_FRONTEND_RDOWN", 0x05CA7C52},
        {"INPUT_HORSE_MOUNT", 0xE7D09D58},
    };
    for (const auto& [name, value] : cases) {
        const auto found = controlNameTable.find(name);
        ASSERT_NE(found, controlNameTable.end()) << name;
        EXPECT_EQ(found->second, value) << name;
    }
}

TEST(ControlNameTable, OnlyTheExactNameMatches) {
    const std::vector<std::string> misses = {
        "input_jump",    "Input_Jump", " INPUT_JUMP", "INPUT_JUMP ", "INPUT_JUMP\n", "JUMP",
        "INPUT_JUMP\0"s, "",           "INPUT_",      "INPUT_JUMPS",
    };
    for (const auto& name : misses) {
        EXPECT_FALSE(controlNameTable.contains(name)) << '"' << name << '"';
    }
}

TEST(ControlNameTable, HoldsTheWholeListAndOnlyTwoNamesBreakTheNamingRule) {
    // The game's name hash from the simulated host, written independently of
    // the module's, checks every value the module computed at compile time.
    std::set<std::string> breakers;
    std::set<GameHash> values;
    for (const auto& control : controlNames) {
        const std::string name(control.name);
        ASSERT_TRUE(controlNameTable.contains(name)) << name;
        EXPECT_EQ(controlNameTable.at(name), control.value) << name;
        if (control.value != sim::joaat(name)) {
            breakers.insert(name);
        }
        values.insert(control.value);
    }
    EXPECT_EQ(controlNameTable.size(), 302U);
    EXPECT_THAT(breakers, ::testing::ElementsAre("INPUT_FRONTEND_RDOWN", "INPUT_HORSE_MOUNT"));
    EXPECT_EQ(values.size(), 301U) << "only RDOWN shares its value";
    EXPECT_EQ(sim::joaat("INPUT_FRONTEND_RDOWN"), 0x5734A944U);
    EXPECT_EQ(sim::joaat("INPUT_HORSE_MOUNT"), 0x9DAC0441U);
}

} // namespace
