// The Drown prompt: the calls that make it, in order, with the label and
// control read from the settings file at the moment it is made.
#include "drown/prompt.h"
#include "host/script.h"
#include "settings/settings.h"

#include "host.h"
#include "stand_ins.h"
#include "temp_cwd.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using sloshmere::createDrownPrompt;
using sloshmere::drownPrompt;
using sloshmere::promptActive;
using ::testing::ElementsAre;

using test::player;
using test::victim;
constexpr int bystander = 3;

class PromptTest : public ::testing::Test {
protected:
    PromptTest() {
        host.world.playerHandle = player;
        host.world.addPed(player);
        host.world.addPed(victim);
        host.world.addPed(bystander).promptGroup = 77;
        sloshmere::playerPed = player;
        sloshmere::victimPed = victim;
        sloshmere::nearestPed = bystander;
        promptActive = false;
        drownPrompt = 0;
        sloshmere::promptText = "Drown";
        sloshmere::promptControl = 0xFFFFFFFF;
    }

    sim::Host host;
    test::TempCwd cwd;
};

TEST_F(PromptTest, FourteenCallsInOrderWithTheConfiguredLabelAndControl) {
    cwd.write("Sloshmere.ini", "[Sloshmere]\nDrownText = Hold under\nDrownInput = INPUT_JUMP\n");
    createDrownPrompt();

    EXPECT_THAT(
        host.lines(),
        ElementsAre(
            "DOES_ENTITY_EXIST(2) -> 0x1", "PROMPT_PREPARE(0)", "PROMPT_REGISTER_BEGIN() -> 0x1",
            "PROMPT_SET_CONTROL_ACTION(1, 0xD9D0E1C0)",
            "CREATE_VAR_STRING(10, \"LITERAL_STRING\", \"Hold under\") -> "
            "0x5641525300000000",
            "PROMPT_SET_TEXT(1, 0x5641525300000000)  ; label \"Hold under\"",
            "PROMPT_SET_PRIORITY(1, 3)", "PROMPT_SET_OPTION(1, 1)", "PROMPT_SET_HOLD_MODE(1, 200)",
            "PROMPT_REGISTER_END(1)", "PROMPT_SET_ENABLED(1, 1)", "PROMPT_SET_VISIBLE(1, 1)",
            "PROMPT_GET_GROUP_ID_FOR_TARGET_ENTITY(3) -> 0x4D", "PROMPT_SET_GROUP(1, 77, 0)"));
    EXPECT_EQ(drownPrompt, 1);
    EXPECT_TRUE(promptActive);
    const sim::Prompt& made = host.world.prompts.at(0);
    EXPECT_EQ(made.label, "Hold under");
    EXPECT_EQ(made.control, 0xD9D0E1C0U);
    EXPECT_TRUE(made.registered && made.enabled && made.visible);
}

TEST_F(PromptTest, WhatStopsACreation) {
    struct Case {
        const char* name;
        bool active;
        bool victimExists;
        std::size_t calls;
    };
    const Case cases[] = {
        {"a live prompt", true, true, 0},
        {"a victim that is gone", false, false, 1},
    };
    for (const Case& c : cases) {
        host.trace.clear();
        promptActive = c.active;
        drownPrompt = 41;
        host.world.findPed(victim)->exists = c.victimExists;
        cwd.write("Sloshmere.ini", "[Sloshmere]\nDrownText = Sink\n");
        sloshmere::promptText = "Drown";

        createDrownPrompt();

        EXPECT_EQ(host.trace.size(), c.calls) << c.name;
        EXPECT_EQ(sloshmere::promptText, "Sink") << c.name << ": the settings are read first";
        EXPECT_EQ(drownPrompt, 41) << c.name;
        EXPECT_EQ(promptActive, c.active) << c.name;
        EXPECT_TRUE(host.world.prompts.empty()) << c.name;
    }
}

TEST_F(PromptTest, WithNoGroupThePromptIsStillEnabledVisibleAndActive) {
    sloshmere::nearestPed = 0;
    createDrownPrompt();

    const auto groupQueries = host.calls(0xB796970BD125FCE8);
    ASSERT_EQ(groupQueries.size(), 1U);
    EXPECT_EQ(groupQueries[0]->args.at(0), 0U) << "the query is still made for handle 0";
    EXPECT_TRUE(host.calls(0x2F11D3A254169EA4).empty()) << "no group to join";
    const sim::Prompt& made = host.world.prompts.at(0);
    EXPECT_TRUE(made.enabled && made.visible);
    EXPECT_EQ(made.group, -1);
    EXPECT_TRUE(promptActive);
}

TEST_F(PromptTest, AnEditBetweenTwoPromptsChangesTheSecond) {
    cwd.write("Sloshmere.ini", "[Sloshmere]\nDrownText = Dunk\nDrownInput = INPUT_JUMP\n");
    createDrownPrompt();
    promptActive = false;
    cwd.write("Sloshmere.ini", "[Sloshmere]\nDrownText = Soak\nDrownInput = INPUT_CONTEXT_A\n");
    createDrownPrompt();

    ASSERT_EQ(host.world.prompts.size(), 2U);
    EXPECT_EQ(host.world.prompts[0].label, "Dunk");
    EXPECT_EQ(host.world.prompts[0].control, 0xD9D0E1C0U);
    EXPECT_EQ(host.world.prompts[1].label, "Soak");
    EXPECT_EQ(host.world.prompts[1].control, 0x5181713DU);
}

} // namespace
