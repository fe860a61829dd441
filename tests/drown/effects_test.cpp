// The drowning effects: the gate, the five action steps and the breakout in
// their order, the exact splash and speech arguments, and the game-time pause.
#include "drown/effects.h"
#include "host/script.h"

#include "host.h"
#include "joaat.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAreArray;
using Kind = sim::TraceEntry::Kind;

constexpr std::uint64_t PED_GRAPPLE_STATE = 0x753B15AD0FD6F3E3;
constexpr std::uint64_t GET_GAME_TIMER = 0x4F67E8ECA7D3F667;
constexpr std::uint64_t PLAY_PARTICLE_FX_ON_PED = 0x3FAA72BD940C3AC0;
constexpr std::uint64_t PLAY_PED_AMBIENT_SPEECH_NATIVE = 0x8E04FEDD28D42462;

constexpr std::uint32_t drowningState = 0x4CD05DF6;
constexpr std::uint32_t breakoutControl = 0xD0C1FEFF;
// Handles of the effects' own, the victim's negative, so a handle sent
// unsigned or swapped shows.
constexpr int effectsPlayer = 7;
constexpr int effectsVictim = -12;

const char* const choke = "AR_GRAPPLE_CHOKE";
const char* const chokeIntro = "AR_GRAPPLE_CHOKE_INTRO";
const char* const chokeOutro = "AR_GRAPPLE_CHOKE_OUTRO";
const char* const attack = "AR_GRAPPLE_ATTACK";
const char* const knockout = "AR_GRAPPLE_CHOKE_KNOCKOUT";
const char* const drowningParams = "Speech_Params_Beat_Shouted_Clear_AllowPlayAfterDeath";
const char* const coughParams = "speech_params_force_shouted_clear";

std::string format(const char* pattern, auto... values) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, pattern, values...);
    return buffer;
}

std::string hashLine(const char* name) {
    return format("GET_HASH_KEY(\"%s\") -> 0x%X", name, sim::joaat(name));
}

std::vector<std::string> step(const char* action, bool hit) {
    return {hashLine(action), format("IS_PED_IN_ACTION(%d, 1, 0x%X)%s", effectsPlayer,
                                     sim::joaat(action), hit ? " -> 0x1" : "")};
}

std::vector<std::string> splash(const char* scale) {
    return {"USE_PARTICLE_FX_ASSET(\"anm_sal\")",
            format("PLAY_PARTICLE_FX_ON_PED(\"ent_anim_sal1_drown_splash_enter\", %d, -0.04, 0, "
                   "-0.07, -180, -45, 0, 27981, %s, 0, 0, 0)",
                   effectsVictim, scale)};
}

std::vector<std::string> speech(const char* line, const char* params) {
    return {hashLine(params),
            format("PLAY_PED_AMBIENT_SPEECH_NATIVE(%d, &record)  ; line \"%s\", slots 1-7: 0x0 "
                   "0xFFFFFFFF 0x%X 0x%X 0x1 0x1 0x1",
                   effectsVictim, line, sim::joaat(params), effectsPlayer)};
}

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

bool isPauseEntry(const sim::TraceEntry& entry) {
    return entry.kind == Kind::Wait || (entry.kind == Kind::Native && entry.hash == GET_GAME_TIMER);
}

// The trace in words, with each run of clock readings and waits told as the
// game time between its first and last reading and the frames it yielded.
std::vector<std::string> story(const sim::Host& host) {
    const std::vector<std::string> lines = host.lines();
    std::vector<std::string> out;
    for (std::size_t i = 0; i < host.trace.size();) {
        if (!isPauseEntry(host.trace[i])) {
            out.push_back(lines[i++]);
            continue;
        }
        int frames = 0;
        int readings = 0;
        std::uint32_t first = 0;
        std::uint32_t last = 0;
        for (; i < host.trace.size() && isPauseEntry(host.trace[i]); ++i) {
            const sim::TraceEntry& entry = host.trace[i];
            if (entry.kind == Kind::Wait) {
                ++frames;
                continue;
            }
            last = static_cast<std::uint32_t>(entry.result[0]);
            first = readings++ == 0 ? last : first;
        }
        out.push_back(
            format("pause %d ms, %d frames", static_cast<std::int32_t>(last - first), frames));
    }
    return out;
}

class EffectsTest : public ::testing::Test {
protected:
    EffectsTest() {
        host.world.addPed(effectsPlayer).grappleState = drowningState;
        host.world.addPed(effectsVictim);
        host.world.gameTimer = 100000;
        host.world.gameTimerStep = 100;
        sloshmere::playerPed = effectsPlayer;
        sloshmere::victimPed = effectsVictim;
    }

    void perform(std::initializer_list<const char*> actions) {
        std::vector<std::uint32_t>& performed = host.world.findPed(effectsPlayer)->actions;
        performed.clear();
        for (const char* action : actions) {
            performed.push_back(sim::joaat(action));
        }
    }

    sim::Host host;
};

TEST_F(EffectsTest, AClosedGateCostsExactlyOneCall) {
    perform({choke, knockout});
    host.world.usedControls = {{0, breakoutControl}};
    for (const std::uint32_t state : {0U, drowningState - 1, drowningState + 1, 0xCE44C7EAU}) {
        host.trace.clear();
        host.world.findPed(effectsPlayer)->grappleState = state;
        sloshmere::playDrownEffects();
        ASSERT_EQ(host.trace.size(), 1U) << std::hex << state;
        EXPECT_EQ(host.trace[0].hash, PED_GRAPPLE_STATE);
        EXPECT_EQ(host.trace[0].args, std::vector<std::uint64_t>{effectsPlayer});
    }
    EXPECT_EQ(host.frame, 0U);
}

TEST_F(EffectsTest, AnOpenGateWithNothingToAnswerAsksFiveActionsAndTheControl) {
    sloshmere::playDrownEffects();
    EXPECT_THAT(story(host), ElementsAreArray(concat({{"PED_GRAPPLE_STATE(7) -> 0x4CD05DF6"},
                                                      step(choke, false),
                                                      step(chokeIntro, false),
                                                      step(chokeOutro, false),
                                                      step(attack, false),
                                                      step(knockout, false),
                                                      {"IS_CONTROL_USED(0, 0xD0C1FEFF)"}})));
    EXPECT_EQ(host.frame, 0U);
}

// One pass serves every step: the choke splashes before it speaks and does not
// pause, each later step sees the action the player performs once the pause
// before it is over, the knockout speaks, splashes, holds the pass for its
// delay and then finishes, and the breakout is still answered afterwards.
TEST_F(EffectsTest, OnePassRunsTheFiveStepsInOrderAndThenTheBreakout) {
    perform({choke, chokeIntro});
    host.world.usedControls = {{0, breakoutControl}};
    host.frameHooks.push_back([this](sim::Host& h) {
        if (h.frame == 1) {
            perform({chokeOutro}); // during the choke intro's pause
        } else if (h.frame == 6) {
            perform({attack, knockout}); // during the choke outro's pause
        }
    });

    sloshmere::playDrownEffects();

    EXPECT_THAT(story(host),
                ElementsAreArray(concat({
                    {"PED_GRAPPLE_STATE(7) -> 0x4CD05DF6"},
                    step(choke, true),
                    splash("0.5"),
                    speech("DROWNING", drowningParams),
                    step(chokeIntro, true),
                    {"pause 500 ms, 5 frames"},
                    splash("0.5"),
                    step(chokeOutro, true),
                    {"pause 500 ms, 5 frames"},
                    splash("0.5"),
                    speech("POST_DROWN_COUGH", coughParams),
                    step(attack, true),
                    {"pause 500 ms, 5 frames"},
                    splash("0.5"),
                    speech("POST_DROWN_COUGH", coughParams),
                    step(knockout, true),
                    speech("DROWNING", drowningParams),
                    splash("1"),
                    {"pause 11000 ms, 110 frames"},
                    {"KNOCKOUT_FINISH_1(-12, 1)", "KNOCKOUT_FINISH_2(-12, 7, 0)",
                     "KNOCKOUT_FINISH_3(-12, 1)", "KNOCKOUT_FINISH_4(-12, 0, 0)"},
                    {"IS_CONTROL_USED(0, 0xD0C1FEFF) -> 0x1"},
                    {hashLine("ACT_GRAPPLE_THROW_FRONT"),
                     format("THROW_SET_ACTION(7, 0x%X)", sim::joaat("ACT_GRAPPLE_THROW_FRONT")),
                     "THROW_SET_FLAGS(7, 32768, 0)", "THROW_START(-12, 7, 1, 1, 1)"},
                })));
    EXPECT_EQ(host.frame, 125U);
}

TEST_F(EffectsTest, TheSplashArgumentsAreExactSlots) {
    struct Case {
        const char* action;
        std::uint64_t scaleBits;
    };
    const Case cases[] = {{choke, 0x3F000000}, {knockout, 0x3F800000}};
    for (const Case& c : cases) {
        host.trace.clear();
        perform({c.action});
        sloshmere::playDrownEffects();

        const auto splashes = host.calls(PLAY_PARTICLE_FX_ON_PED);
        ASSERT_EQ(splashes.size(), 1U) << c.action;
        const sim::TraceEntry& entry = *splashes[0];
        EXPECT_EQ(entry.stringArg(0), "ent_anim_sal1_drown_splash_enter");
        const std::vector<std::uint64_t> expected = {
            entry.args.at(0), // the effect name's address, read above
            0xFFFFFFF4,       // victimPed, zero-extended
            0xBD23D70A,       // -0.04
            0x00000000,       // 0.0
            0xBD8F5C29,       // -0.07
            0xC3340000,       // -180.0
            0xC2340000,       // -45.0
            0x00000000,       // 0.0
            27981,
            c.scaleBits,
            0,
            0,
            0,
        };
        EXPECT_EQ(entry.args, expected) << c.action;
    }
}

TEST(SpeechRequest, TheRecordNamesTheLineAndThePlayerWhileTheVictimSpeaks) {
    struct Case {
        sloshmere::Entity player;
        sloshmere::Entity victim;
        const char* line;
        const char* params;
    };
    // A negative handle shows whether the high half of its slot stays zero.
    const Case cases[] = {
        {7, -12, "DROWNING", drowningParams},
        {-3, 9, "POST_DROWN_COUGH", coughParams},
    };
    for (const Case& c : cases) {
        sim::Host host;
        sloshmere::playerPed = c.player;
        sloshmere::victimPed = c.victim;
        sloshmere::playVictimSpeech(c.line, c.params);

        const auto spoken = host.calls(PLAY_PED_AMBIENT_SPEECH_NATIVE);
        ASSERT_EQ(spoken.size(), 1U);
        EXPECT_EQ(spoken[0]->args.at(0), static_cast<std::uint32_t>(c.victim)) << "the speaker";
        EXPECT_EQ(spoken[0]->note,
                  format("line \"%s\", slots 1-7: 0x0 0xFFFFFFFF 0x%X 0x%X 0x1 0x1 0x1", c.line,
                         sim::joaat(c.params), static_cast<std::uint32_t>(c.player)));
        // The parameter set is hashed by the game, just before the call.
        EXPECT_EQ(host.trace.size(), 2U);
        EXPECT_EQ(host.trace.at(0).stringArg(0), c.params);
    }
}

TEST(WaitGameTime, EndsAtTheFirstReadingThatReachesTheThreshold) {
    struct Case {
        const char* what;
        std::uint32_t start;
        std::uint32_t step;    // per frame
        std::uint32_t perRead; // extra clock movement on every reading
        std::int32_t ms;
        int frames;
        std::int32_t elapsed;
    };
    const Case cases[] = {
        {"exactly at the threshold", 1000, 100, 0, 500, 5, 500},
        {"first reading past it", 1000, 33, 0, 500, 16, 528},
        {"across the wrap", 0xFFFFFF38, 100, 0, 500, 5, 500},
        {"starting at the largest value", 0xFFFFFFFF, 1000, 0, 11000, 11, 11000},
        {"already passed between the first readings", 5000, 100, 500, 500, 0, 500},
        {"one short between the first readings", 5000, 100, 499, 500, 1, 1098},
        {"no pause at all", 5000, 100, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        sim::Host host;
        host.world.gameTimer = c.start;
        host.world.gameTimerStep = c.step;
        if (c.perRead != 0) {
            host.handle(GET_GAME_TIMER, [&host, &c](sim::NativeCall& call) {
                call.returnUint(host.world.gameTimer);
                host.world.gameTimer += c.perRead;
            });
        }

        sloshmere::waitGameTime(c.ms);

        const auto readings = host.calls(GET_GAME_TIMER);
        EXPECT_EQ(host.frame, static_cast<std::uint64_t>(c.frames)) << c.what;
        EXPECT_EQ(readings.size(), static_cast<std::size_t>(c.frames) + 2) << c.what;
        EXPECT_EQ(
            static_cast<std::int32_t>(readings.back()->result[0] - readings.front()->result[0]),
            c.elapsed)
            << c.what;
    }
}

} // namespace
