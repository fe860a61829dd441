// The grapple action catalogue: what it asks the game, in which order, and
// what it hands back; and the one action query.
#include "drown/actions.h"

#include "host.h"
#include "joaat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t GET_HASH_KEY = 0xFD340785ADF8CFB7;
constexpr std::uint64_t IS_PED_IN_ACTION = 0xDCCA191DF9980FD7;

TEST(GrappleActions, EveryCallAsksTheGameForAllNamesInOrder) {
    sim::Host host;
    // Answers with a dirty high half: only the low 32 bits are the hash.
    std::uint32_t next = 0x1000;
    host.handle(GET_HASH_KEY, [&next](sim::NativeCall& call) {
        call.str(0);
        call.returnRaw(0xFFFF'FFFF'0000'0000U | next++);
    });

    const std::vector<sloshmere::GameHash> first = sloshmere::grappleActionHashes();
    const std::vector<sloshmere::GameHash> second = sloshmere::grappleActionHashes();

    const auto calls = host.calls(GET_HASH_KEY);
    ASSERT_EQ(calls.size(), 2 * sloshmere::grappleActionCount) << "nothing may be cached";
    ASSERT_EQ(first.size(), sloshmere::grappleActionCount);
    ASSERT_EQ(second.size(), sloshmere::grappleActionCount);
    EXPECT_EQ(first.capacity(), sloshmere::grappleActionCount) << "allocated once at final size";
    EXPECT_NE(first.data(), second.data());
    for (std::size_t i = 0; i < sloshmere::grappleActionCount; ++i) {
        const std::string name = sloshmere::grappleActionNames[i];
        EXPECT_EQ(calls[i]->stringArg(0), name) << i;
        EXPECT_EQ(calls[sloshmere::grappleActionCount + i]->stringArg(0), name) << i;
        EXPECT_EQ(first[i], 0x1000U + i) << "the game's answer, low 32 bits, in order";
        EXPECT_EQ(second[i], 0x1000U + sloshmere::grappleActionCount + i);
    }
}

TEST(GrappleActions, TheCatalogueHoldsTheDistinctNamesAsTheGameSpellsThem) {
    const auto& names = sloshmere::grappleActionNames;
    const std::set<std::string> distinct(names.begin(), names.end());
    EXPECT_EQ(distinct.size(), names.size());

    struct Entry {
        std::size_t index;
        const char* name;
    };
    // The drowning move first, the two choke actions the effects follow,
    // mixed-case names, and the two places where the order is not sorted.
    const Entry entries[] = {
        {0, "AR_TO_TROUGH_FROM_STANDING_CUSTOM"},    {13, "AR_GRAPPLE_CHOKE"},
        {15, "AR_grapple_switch_front_to_back"},     {19, "AR_GRAPPLE_CHOKE_INTRO"},
        {36, "AR_grapple_front_from_front_far"},     {44, "AR_grapple_back_from_left_far"},
        {45, "AR_grapple_back_from_left"},           {58, "AR_MUD2_Struggle_KO"},
        {66, "AR_GRAPPLE_CHALLENGE_FRONT_IDLE_V03"},
    };
    for (const Entry& entry : entries) {
        EXPECT_STREQ(names.at(entry.index), entry.name) << entry.index;
    }
    for (const char* absent :
         {"AR_GRAPPLE_CHOKE_OUTRO", "AR_GRAPPLE_ATTACK", "AR_GRAPPLE_CHOKE_KNOCKOUT"}) {
        EXPECT_EQ(distinct.count(absent), 0U) << absent << " must not make the pair busy";
    }
}

TEST(IsPedInAction, AsksTheGameWithTheHandleOneAndTheHash) {
    const std::uint32_t choke = sim::joaat("AR_GRAPPLE_CHOKE");
    const std::uint32_t attack = sim::joaat("AR_GRAPPLE_ATTACK");
    struct Case {
        sloshmere::Entity ped;
        sloshmere::GameHash action;
        std::int32_t expected;
    };
    const Case cases[] = {
        {7, choke, 1},   // performing it
        {7, attack, 0},  // performing another action
        {-12, choke, 1}, // a negative handle travels zero-extended
        {0, choke, 0},   // no pedestrian: still asked
        {99, choke, 0},  // a missing pedestrian: still asked
    };
    for (const Case& c : cases) {
        sim::Host host;
        host.world.addPed(7).actions = {choke};
        host.world.addPed(-12).actions = {sim::joaat("AR_GRAPPLE_STRUGGLE"), choke};

        EXPECT_EQ(sloshmere::isPedInAction(c.ped, c.action), c.expected) << c.ped;
        ASSERT_EQ(host.trace.size(), 1U);
        EXPECT_EQ(host.trace[0].hash, IS_PED_IN_ACTION);
        EXPECT_EQ(host.trace[0].args,
                  (std::vector<std::uint64_t>{static_cast<std::uint32_t>(c.ped), 1, c.action}))
            << c.ped;
    }
}

} // namespace
