// The grapple watcher: in each situation of a pass, which prompt calls it
// makes, in which order, and what a completed hold sets off.
#include "drown/prompt.h"
#include "drown/watcher.h"
#include "host/script.h"
#include "settings/settings.h"

#include "host.h"
#include "joaat.h"
#include "stand_ins.h"
#include "temp_cwd.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using sloshmere::drownPrompt;
using sloshmere::promptActive;
using sloshmere::watchGrapple;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

using test::player;
using test::victim;
constexpr int troughHandle = 500;
constexpr int livePrompt = 5;
constexpr std::uint32_t offerState = 0x13930D00;
constexpr std::uint32_t otherState = 0x13930D01;

const char* const patron = "mini_games@story@saloon1@drown@patron";
const char* const arthur = "mini_games@story@saloon1@drown@arthur";

std::string shortDict(const std::string& name) {
    return name.substr(name.rfind('@') + 1);
}

// The pass in prompt terms: grapple reads, prompt calls, dictionary calls,
// waits and the drowning move, one token each. A prompt's creation shows as
// "create" followed by the show calls it ends with.
std::vector<std::string> promptStory(const sim::Host& host) {
    std::vector<std::string> out;
    for (const sim::TraceEntry& e : host.trace) {
        if (e.kind == sim::TraceEntry::Kind::Wait) {
            out.emplace_back("wait");
            continue;
        }
        const std::string label = sim::nativeLabel(e.hash);
        const std::string id = e.args.empty() ? "" : std::to_string(e.intArg(0));
        if (label == "PED_GRAPPLE_STATE") {
            out.emplace_back("state");
        } else if (label == "PED_GRAPPLE_FLAG") {
            out.emplace_back("flag");
        } else if (label == "PROMPT_REGISTER_BEGIN") {
            out.emplace_back("create");
        } else if (label == "PROMPT_SET_ENABLED") {
            out.push_back("enable(" + id + "," + std::to_string(e.intArg(1)) + ")");
        } else if (label == "PROMPT_SET_VISIBLE") {
            out.push_back("visible(" + id + "," + std::to_string(e.intArg(1)) + ")");
        } else if (label == "PROMPT_DELETE") {
            out.push_back("delete(" + id + ")");
        } else if (label == "PROMPT_HAS_HOLD_MODE_COMPLETED") {
            out.push_back("held?(" + id + ")");
        } else if (label == "DOES_ANIM_DICT_EXIST") {
            out.push_back("exists?(" + shortDict(e.stringArg(0)) + ")");
        } else if (label == "REQUEST_ANIM_DICT") {
            out.push_back("request(" + shortDict(e.stringArg(0)) + ")");
        } else if (label == "HAS_ANIM_DICT_LOADED") {
            out.push_back("loaded?(" + shortDict(e.stringArg(0)) + ")");
        } else if (label == "REMOVE_ANIM_DICT") {
            out.push_back("remove(" + shortDict(e.stringArg(0)) + ")");
        } else if (label == "START_PAIRED_ACTION") {
            out.emplace_back("drown move");
        }
    }
    return out;
}

class WatcherTest : public ::testing::Test {
protected:
    WatcherTest() {
        sim::World& world = host.world;
        world.playerHandle = player;
        world.addPed(player).grapplePartner = victim;
        world.addPed(victim).position = {0.5F, 0.0F, 0.0F};
        world.addObject(troughHandle, sim::joaat("p_watertrough01x"), {1.0F, 0.0F, 0.0F});
        world.groundZ = 0.0F;
        world.animDicts[patron] = {};
        world.animDicts[arthur] = {};
        sloshmere::playerPed = player;
        sloshmere::victimPed = victim;
        sloshmere::nearestPed = 0;
        sloshmere::promptText = "Drown";
        sloshmere::promptControl = 0xFFFFFFFF;
        promptActive = false;
        drownPrompt = 0;
    }

    sim::Ped& playerPed() { return *host.world.findPed(player); }

    void grapple(std::int32_t flag, std::uint32_t state) {
        playerPed().grappleFlag = flag;
        playerPed().grappleState = state;
    }

    // A prompt the watcher already counts as live.
    void givePrompt(bool shown) {
        sim::Prompt& prompt = host.world.prompts.emplace_back();
        prompt.id = livePrompt;
        prompt.registered = true;
        prompt.enabled = prompt.visible = shown;
        host.world.nextPromptId = livePrompt + 1;
        drownPrompt = livePrompt;
        promptActive = true;
    }

    sim::Host host;
    test::TempCwd cwd;
};

TEST_F(WatcherTest, EachRowOfTheDecisionTable) {
    struct Row {
        const char* name;
        bool busy;
        bool trough;
        bool active;
        std::int32_t flag;
        std::uint32_t state;
        std::vector<std::string> story;
        bool activeAfter;
    };
    const std::vector<Row> rows = {
        {"busy", true, true, true, 1, offerState, {"enable(5,0)", "visible(5,0)"}, false},
        {"no trough, idle", false, false, false, 1, offerState, {}, false},
        {"no trough, live",
         false,
         false,
         true,
         1,
         offerState,
         {"enable(5,0)", "visible(5,0)"},
         false},
        {"offered",
         false,
         true,
         true,
         1,
         offerState,
         {"state", "flag", "enable(5,1)", "visible(5,1)", "held?(5)"},
         true},
        {"held back",
         false,
         true,
         true,
         1,
         otherState,
         {"state", "flag", "enable(5,0)", "visible(5,0)", "held?(5)"},
         true},
        {"grapple let go",
         false,
         true,
         true,
         0,
         offerState,
         {"state", "flag", "enable(5,0)", "visible(5,0)", "enable(5,0)", "visible(5,0)",
          "delete(5)", "remove(patron)", "wait", "remove(arthur)", "wait", "held?(5)"},
         false},
        {"offer from idle",
         false,
         true,
         false,
         1,
         offerState,
         {"state", "flag", "create", "enable(6,1)", "visible(6,1)", "exists?(patron)",
          "request(patron)", "loaded?(patron)", "wait", "exists?(arthur)", "request(arthur)",
          "loaded?(arthur)", "wait", "held?(6)"},
         true},
        {"idle, no offer", false, true, false, 1, otherState, {"state", "flag", "held?(0)"}, false},
        {"idle, flag not 1",
         false,
         true,
         false,
         2,
         offerState,
         {"state", "flag", "held?(0)"},
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host.trace.clear();
        host.world.prompts.clear();
        promptActive = false;
        drownPrompt = 0;
        if (row.active) {
            givePrompt(true);
        }
        host.world.nextPromptId = livePrompt + 1;
        playerPed().actions.clear();
        if (row.busy) {
            playerPed().actions.push_back(sim::joaat("AR_GRAPPLE_CHOKE"));
        }
        host.world.findObject(troughHandle)->exists = row.trough;
        grapple(row.flag, row.state);

        watchGrapple();

        EXPECT_THAT(promptStory(host), ElementsAreArray(row.story));
        EXPECT_EQ(promptActive, row.activeAfter);
        const bool searched = !host.calls(0xE143FA2249364369).empty();
        EXPECT_EQ(searched, !row.busy) << "the trough is searched only when the pair is free";
    }
}

TEST_F(WatcherTest, TheActionWalkStopsAtTheFirstHitAndTestsTheVictimOnlyAfterAMiss) {
    struct Case {
        const char* name;
        std::vector<std::uint32_t> playerActions;
        std::vector<std::uint32_t> victimActions;
        int victimHandle;
        std::size_t playerQueries;
        std::size_t victimQueries;
    };
    const std::uint32_t drowning = sim::joaat("AR_TO_TROUGH_FROM_STANDING_CUSTOM");
    const std::uint32_t lastEntry = sim::joaat("AR_GRAPPLE_CHALLENGE_FRONT_IDLE_V03");
    const Case cases[] = {
        {"player in the drowning move", {drowning}, {}, victim, 1, 0},
        {"player in the last entry", {lastEntry}, {}, victim, 67, 0},
        {"victim in the drowning move", {}, {drowning}, victim, 67, 1},
        {"nobody busy", {}, {}, victim, 67, 67},
        {"no victim at all", {}, {}, 0, 67, 67},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.trace.clear();
        playerPed().actions = c.playerActions;
        host.world.findPed(victim)->actions = c.victimActions;
        sloshmere::victimPed = c.victimHandle;

        watchGrapple();

        std::size_t playerQueries = 0;
        std::size_t victimQueries = 0;
        for (const sim::TraceEntry* query : host.calls(0xDCCA191DF9980FD7)) {
            (query->intArg(0) == player ? playerQueries : victimQueries)++;
        }
        EXPECT_EQ(playerQueries, c.playerQueries);
        EXPECT_EQ(victimQueries, c.victimQueries);
    }
}

TEST_F(WatcherTest, BusyBeforeAnyPromptStillHidesPromptZero) {
    playerPed().actions.push_back(sim::joaat("AR_TO_TROUGH_FROM_STANDING_CUSTOM"));
    watchGrapple();
    EXPECT_THAT(promptStory(host), ElementsAre("enable(0,0)", "visible(0,0)"));
    EXPECT_TRUE(host.calls(0x753B15AD0FD6F3E3).empty()) << "no grapple state when busy";
    EXPECT_TRUE(host.calls(0x0E99E3BF11BB6367).empty()) << "no grapple flag when busy";
}

TEST_F(WatcherTest, HeldBackAndOfferedAgainReusesThePromptWithoutReloading) {
    grapple(1, offerState);
    watchGrapple();
    grapple(1, 0xCE44C7EA); // the fourth offer state, negative as a signed value
    watchGrapple();
    grapple(1, otherState);
    watchGrapple();
    grapple(1, 0x72B43B02);
    host.trace.clear();
    watchGrapple();

    EXPECT_THAT(promptStory(host),
                ElementsAre("state", "flag", "enable(1,1)", "visible(1,1)", "held?(1)"));
    EXPECT_EQ(host.world.prompts.size(), 1U) << "no second prompt";
    EXPECT_EQ(host.world.animDicts.at(patron).requested, true);
}

TEST_F(WatcherTest, AHiddenPromptStaysRegisteredAndTheNextOfferMakesANewOne) {
    grapple(1, offerState);
    watchGrapple();
    host.world.findObject(troughHandle)->exists = false; // walked away
    watchGrapple();
    host.world.findObject(troughHandle)->exists = true;
    watchGrapple();

    ASSERT_EQ(host.world.prompts.size(), 2U);
    const sim::Prompt& first = host.world.prompts[0];
    EXPECT_FALSE(first.deleted);
    EXPECT_FALSE(first.enabled);
    EXPECT_FALSE(first.visible);
    EXPECT_EQ(drownPrompt, host.world.prompts[1].id);
    EXPECT_TRUE(promptActive);
}

TEST_F(WatcherTest, ACompletedHoldPlacesThePairBeforeRetiringThePrompt) {
    grapple(1, offerState);
    watchGrapple();
    host.world.prompts.at(0).holdCompleted = true;
    host.trace.clear();
    watchGrapple();

    EXPECT_THAT(promptStory(host),
                ElementsAre("state", "flag", "enable(1,1)", "visible(1,1)", "held?(1)",
                            "drown move", "enable(1,0)", "visible(1,0)", "delete(1)",
                            "remove(patron)", "wait", "remove(arthur)", "wait"));
    EXPECT_FALSE(promptActive);
    EXPECT_TRUE(host.world.prompts.at(0).deleted);
    EXPECT_EQ(host.world.findPed(victim)->pairedAction, 0U) << "the player leads the move";
    EXPECT_EQ(playerPed().pairedAction, sim::joaat("AR_TO_TROUGH_FROM_STANDING_CUSTOM"));
}

TEST_F(WatcherTest, DictionariesLoadAtTheirOwnPace) {
    struct Case {
        const char* name;
        bool patronExists;
        int patronPolls;
        std::vector<std::string> story;
    };
    const Case cases[] = {
        {"a missing dictionary still costs a frame",
         false,
         1,
         {"exists?(patron)", "wait", "exists?(arthur)", "request(arthur)", "loaded?(arthur)",
          "wait"}},
        {"a slow dictionary is polled once a frame",
         true,
         3,
         {"exists?(patron)", "request(patron)", "loaded?(patron)", "wait", "loaded?(patron)",
          "wait", "loaded?(patron)", "wait", "exists?(arthur)", "request(arthur)",
          "loaded?(arthur)", "wait"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.trace.clear();
        host.world.animDicts.erase(patron);
        if (c.patronExists) {
            host.world.animDicts[patron].loadedAfterPolls = c.patronPolls;
        }
        sloshmere::loadDrownAnimDicts();
        EXPECT_THAT(promptStory(host), ElementsAreArray(c.story));
    }
}

} // namespace
