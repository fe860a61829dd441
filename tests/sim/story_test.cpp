// Whole scenarios, end to end: the module is attached, its script runs on the
// fiber frame by frame against the staged world, and the story and the
// picture of what it asked the game for are checked: the typical drowning's
// against committed ones, every scenario against the milestones that make
// its point.
#include "canonical.h"
#include "golden_file.h"
#include "picture.h"
#include "scenario.h"
#include "scenario_run.h"
#include "story.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using test::expectGolden;
using test::linesOf;
using test::ScenarioRun;

// The attributes of every element of the picture that carries `cls`.
std::vector<std::map<std::string, std::string>> elementsOfClass(const std::string& svg,
                                                                const std::string& cls) {
    std::vector<std::map<std::string, std::string>> found;
    const std::string open = "class=\"" + cls + "\"";
    for (auto at = svg.find(open); at != std::string::npos; at = svg.find(open, at + 1)) {
        const std::size_t start = svg.rfind('<', at);
        const std::string tag = svg.substr(start, svg.find('>', at) - start);
        const std::regex attribute(R"re(([\w-]+)="([^"]*)")re");
        std::map<std::string, std::string> attributes;
        for (std::sregex_iterator it(tag.begin(), tag.end(), attribute), end; it != end; ++it) {
            attributes[(*it)[1]] = (*it)[2];
        }
        found.push_back(attributes);
    }
    return found;
}

std::uint32_t bitsOf(const std::string& text) {
    return std::bit_cast<std::uint32_t>(std::strtof(text.c_str(), nullptr));
}

// The first milestone that does not come, in order, among the story's lines;
// empty when all do.
std::string missingMilestone(const std::vector<std::string>& story,
                             const std::vector<std::string>& milestones) {
    std::size_t next = 0;
    for (const std::string& line : story) {
        if (next < milestones.size() && line.find(milestones[next]) != std::string::npos) {
            ++next;
        }
    }
    return next < milestones.size() ? milestones[next] : std::string();
}

std::vector<const sim::TraceEntry*> callsTo(const sim::Host& host, std::string_view label) {
    std::vector<const sim::TraceEntry*> out;
    for (const sim::TraceEntry& entry : host.trace) {
        if (entry.kind == sim::TraceEntry::Kind::Native && sim::nativeLabel(entry.hash) == label) {
            out.push_back(&entry);
        }
    }
    return out;
}

std::string storyText(const std::vector<std::string>& story) {
    std::ostringstream out;
    for (const std::string& line : story) {
        out << line << '\n';
    }
    return out.str();
}

TEST(TypicalDrowning, TheStoryMatchesTheCommittedOne) {
    const ScenarioRun run("typical-drowning");
    expectGolden("typical_drowning.txt", run.story);
}

TEST(TypicalDrowning, ThePictureMatchesTheCommittedOne) {
    const ScenarioRun run("typical-drowning");
    expectGolden("typical_drowning.svg",
                 linesOf(std::istringstream(sim::drawPicture(run.host, run.cast))));
}

// The picture draws each pedestrian where SET_ENTITY_COORDS put it and turns
// its arrow by the heading SET_ENTITY_HEADING gave, to the last bit, the
// trough where the module read it, and the scan's bound as its radius.
TEST(TypicalDrowning, ThePictureDrawsThePlacementAsTraced) {
    const ScenarioRun run("typical-drowning");
    const sim::Host& host = run.host;
    const std::string svg = sim::drawPicture(host, run.cast);
    const auto placed = elementsOfClass(svg, "placed");
    const auto coords = host.calls(0x06843DA7060A026B);   // SET_ENTITY_COORDS
    const auto headings = host.calls(0xCF2B9C0645C4651B); // SET_ENTITY_HEADING
    ASSERT_EQ(coords.size(), 2U);
    ASSERT_EQ(headings.size(), 2U);
    ASSERT_EQ(placed.size(), 2U);
    for (std::size_t i = 0; i < coords.size(); ++i) {
        SCOPED_TRACE("placement " + std::to_string(i));
        auto drawn = placed[i];
        EXPECT_EQ(drawn["data-handle"], std::to_string(coords[i]->intArg(0)));
        EXPECT_EQ(bitsOf(drawn["data-x"]), coords[i]->floatBits(1));
        EXPECT_EQ(bitsOf(drawn["data-y"]), coords[i]->floatBits(2));
        EXPECT_EQ(bitsOf(drawn["data-z"]), coords[i]->floatBits(3));
        EXPECT_EQ(headings[i]->intArg(0), coords[i]->intArg(0));
        EXPECT_EQ(bitsOf(drawn["data-heading"]), headings[i]->floatBits(1));
    }

    const auto troughs = elementsOfClass(svg, "trough-at");
    ASSERT_EQ(troughs.size(), 1U);
    EXPECT_EQ(troughs[0].at("data-model"), "p_watertrough01x");
    const sim::TraceEntry* read = nullptr;
    for (const sim::TraceEntry* entry : host.calls(0xA86D5F069399F44D)) { // GET_ENTITY_COORDS
        if (std::to_string(entry->intArg(0)) == troughs[0].at("data-handle")) {
            read = entry;
        }
    }
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(bitsOf(troughs[0].at("data-x")), static_cast<std::uint32_t>(read->result[0]));
    EXPECT_EQ(bitsOf(troughs[0].at("data-y")), static_cast<std::uint32_t>(read->result[1]));

    // The scan's bound is drawn as the radius it reaches, 4 units (16 is its
    // square), at the scale of the scanned pedestrians' marks; the farthest
    // of them gives the scale most precisely.
    const auto bound = elementsOfClass(svg, "bound");
    const auto marks = elementsOfClass(svg, "scanned");
    const auto measured = host.calls(0xB7A628320EFF8E47); // POINT_SEPARATION
    ASSERT_EQ(bound.size(), 1U);
    ASSERT_FALSE(marks.empty());
    ASSERT_GE(measured.size(), marks.size());
    double worldFarthest = 0.0;
    double pageFarthest = 0.0;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        const double world = std::hypot(measured[i]->floatArg(3) - measured[i]->floatArg(0),
                                        measured[i]->floatArg(4) - measured[i]->floatArg(1));
        if (world > worldFarthest) {
            worldFarthest = world;
            pageFarthest = std::hypot(std::stod(marks[i].at("cx")) - std::stod(bound[0].at("cx")),
                                      std::stod(marks[i].at("cy")) - std::stod(bound[0].at("cy")));
        }
    }
    ASSERT_GT(pageFarthest, 0.0);
    EXPECT_NEAR(std::stod(bound[0].at("r")) / (pageFarthest / worldFarthest), 4.0, 0.02);
}

// A hold that never completes: the prompt is offered and the dictionaries
// load, but nothing is placed, so the picture is the timeline alone.
TEST(PictureOfARun, WithoutAPlacementHasNoTopView) {
    const auto neverCompleted = [](sim::Host& h, const test::TempCwd&) {
        h.handle(0xE0F65F0640EF0617, [](sim::NativeCall& call) { // PROMPT_HAS_HOLD_MODE_COMPLETED
            call.i32(0);
            call.returnBool(false);
        });
    };
    const ScenarioRun run("typical-drowning", test::storySettings, neverCompleted);
    const sim::Host& host = run.host;
    ASSERT_TRUE(host.calls(0x06843DA7060A026B).empty());  // no SET_ENTITY_COORDS
    ASSERT_FALSE(host.calls(0xF7AA2696A22AD8B9).empty()); // PROMPT_REGISTER_END
    const std::string svg = sim::drawPicture(host, run.cast);
    EXPECT_EQ(svg.find("id=\"top-view\""), std::string::npos);
    EXPECT_TRUE(elementsOfClass(svg, "placed").empty());
    EXPECT_NE(svg.find("id=\"timeline\""), std::string::npos);
    EXPECT_FALSE(elementsOfClass(svg, "offer").empty());
}

TEST(Scenarios, EveryNameIsUniqueAndFound) {
    std::set<std::string_view> seen;
    for (const sim::Scenario& scenario : sim::scenarios()) {
        EXPECT_TRUE(seen.insert(scenario.name).second) << "registered twice: " << scenario.name;
        EXPECT_EQ(sim::findScenario(scenario.name), &scenario) << scenario.name;
        EXPECT_FALSE(scenario.summary.empty()) << scenario.name;
        EXPECT_GT(scenario.frames, 0) << scenario.name;
    }
    EXPECT_EQ(sim::findScenario("no-such-scenario"), nullptr);
}

// One scenario and what its run must show: milestones of its story, in order,
// and facts of the trace the story is too coarse to tell.
struct ScenarioCase {
    std::string_view name;
    std::vector<std::string> milestones;
    void (*traceFacts)(const sim::Host& host);
};

// gtest prints a row by its scenario's name.
void PrintTo(const ScenarioCase& row, std::ostream* out) {
    *out << row.name;
}

std::string rowName(const ::testing::TestParamInfo<ScenarioCase>& row) {
    std::string name(row.param.name);
    std::erase(name, '-');
    return name;
}

class ScenarioStory : public ::testing::TestWithParam<ScenarioCase> {};

TEST_P(ScenarioStory, ShowsItsPoint) {
    const ScenarioCase& row = GetParam();
    const ScenarioRun run(row.name);
    EXPECT_FALSE(run.host.scriptEscaped());
    EXPECT_EQ(missingMilestone(run.story, row.milestones), "") << storyText(run.story);
    // Such as a call naming a prompt this run of the script did not make.
    EXPECT_EQ(storyText(run.story).find(sim::findingMark), std::string::npos)
        << storyText(run.story);
    if (row.traceFacts != nullptr) {
        row.traceFacts(run.host);
    }
}

// What the module sent, call by call, without the game's answers.
std::vector<std::string> sentCalls(const sim::Host& host) {
    std::vector<std::string> out;
    for (sim::TraceEntry entry : host.trace) {
        std::fill(std::begin(entry.result), std::end(entry.result), 0U);
        out.push_back(sim::canonicalLine(entry));
    }
    return out;
}

// The game promises a non-zero answer for true, not a 1: every boolean the
// module reads (does it exist, is it human, dead, mounted, in a vehicle, in an
// action, is the dictionary there and loaded, the hold completed, the ground
// found, the control used) must take 2, the sign bit alone or all bits as
// true. Between them the scenarios answer true to each of those questions.
TEST_P(ScenarioStory, ReadsAnyNonZeroAnswerAsTrue) {
    const ScenarioCase& row = GetParam();
    const std::vector<std::string> withOne = sentCalls(ScenarioRun(row.name).host);
    for (const std::uint32_t truth : {2U, 0x8000'0000U, 0xFFFF'FFFFU}) {
        SCOPED_TRACE(::testing::Message() << "true answered as 0x" << std::hex << truth);
        const ScenarioRun run(row.name, test::storySettings,
                              [truth](sim::Host& host, const auto&) { host.truth = truth; });
        const std::vector<std::string> sent = sentCalls(run.host);
        EXPECT_FALSE(run.host.scriptEscaped());
        ASSERT_EQ(sent.size(), withOne.size());
        for (std::size_t i = 0; i < sent.size(); ++i) {
            ASSERT_EQ(sent[i], withOne[i]) << "first difference at call " << i + 1;
        }
    }
}

const ScenarioCase scenarioCases[] = {
    {"typical-drowning",
     {
         "prompt \"Drown\" offered on INPUT_CONTEXT_X",
         "animation dictionary \"patron\" loaded",
         "animation dictionary \"arthur\" loaded",
         "the player completed the hold",
         "player placed at",
         "victim placed at",
         "drowning move AR_TO_TROUGH_FROM_STANDING_CUSTOM started: player leads, victim follows",
         "prompt deleted",
         "animation dictionary \"arthur\" released",
         "splash 0.5 on the victim",
         "victim says DROWNING",
         "victim says POST_DROWN_COUGH",
         "victim says DROWNING",
         "splash 1 on the victim",
         "knockout finish 1 of 4 on the victim",
         "knockout finish 4 of 4 on the victim",
     },
     [](const sim::Host& host) {
         // The game answers the scan with squared separations: from the
         // player at (100, 200, 50), the victim at (100.7, 200.1, 50) is 0.5,
         // not 0.707, and the bystander 5 units off is 25, beyond the bound.
         struct Measure {
             sim::Vec3 at;
             float squared;
         };
         const Measure firstScan[] = {{{100.7F, 200.1F, 50.0F}, 0.5F},
                                      {{104.0F, 203.0F, 50.0F}, 25.0F},
                                      {{130.0F, 200.0F, 50.0F}, 900.0F}};
         const auto measured = callsTo(host, "POINT_SEPARATION");
         ASSERT_GE(measured.size(), std::size(firstScan));
         for (std::size_t i = 0; i < std::size(firstScan); ++i) {
             SCOPED_TRACE("separation " + std::to_string(i + 1));
             const sim::TraceEntry& call = *measured[i];
             const float from[] = {100.0F, 200.0F, 50.0F};
             const float to[] = {firstScan[i].at.x, firstScan[i].at.y, firstScan[i].at.z};
             for (std::size_t a = 0; a < 3; ++a) {
                 EXPECT_EQ(call.floatBits(a), std::bit_cast<std::uint32_t>(from[a]));
                 EXPECT_EQ(call.floatBits(3 + a), std::bit_cast<std::uint32_t>(to[a]));
             }
             const float answer = std::bit_cast<float>(static_cast<std::uint32_t>(call.result[0]));
             EXPECT_NEAR(answer, firstScan[i].squared, firstScan[i].squared * 1e-5F);
         }
     }},
    {"walk-away-and-back",
     {
         "prompt \"Drown\" offered on INPUT_CONTEXT_X",
         "animation dictionary \"arthur\" loaded",
         "prompt hidden",
         "prompt \"Drown\" offered on INPUT_CONTEXT_X",
         "animation dictionary \"patron\" requested",
         "animation dictionary \"arthur\" loaded",
     },
     [](const sim::Host& host) {
         // The first prompt is left registered, disabled and hidden, never
         // deleted; the second one is the live one.
         EXPECT_TRUE(callsTo(host, "PROMPT_DELETE").empty());
         ASSERT_EQ(host.world.prompts.size(), 2U);
         const sim::Prompt& first = host.world.prompts[0];
         EXPECT_TRUE(first.registered && !first.enabled && !first.visible && !first.deleted);
         const sim::Prompt& second = host.world.prompts[1];
         EXPECT_TRUE(second.registered && second.enabled && second.visible);
     }},
    {"held-back-and-offered-again",
     {
         "prompt \"Drown\" offered on INPUT_CONTEXT_X",
         "animation dictionary \"arthur\" loaded",
         "prompt hidden",
         "prompt shown again",
     },
     [](const sim::Host& host) {
         // The same prompt all along: made once, its dictionaries loaded
         // once, never deleted.
         EXPECT_EQ(host.world.prompts.size(), 1U);
         EXPECT_EQ(callsTo(host, "REQUEST_ANIM_DICT").size(), 2U);
         EXPECT_TRUE(callsTo(host, "PROMPT_DELETE").empty());
     }},
    {"grapple-flag-dropped",
     {
         "prompt \"Drown\" offered on INPUT_CONTEXT_X",
         "animation dictionary \"arthur\" loaded",
         "prompt hidden",
         "prompt deleted",
         "animation dictionary \"patron\" released",
         "animation dictionary \"arthur\" released",
     },
     [](const sim::Host& host) {
         const auto deletes = callsTo(host, "PROMPT_DELETE");
         ASSERT_EQ(deletes.size(), 1U);
         ASSERT_EQ(host.world.prompts.size(), 1U);
         EXPECT_EQ(deletes[0]->intArg(0), host.world.prompts[0].id);
         EXPECT_TRUE(host.world.prompts[0].deleted);
     }},
    {"settings-edited",
     {
         "prompt \"Drown\" offered on INPUT_CONTEXT_Y",
         "prompt deleted",
         "prompt \"Hold under\" offered on INPUT_INTERACT_OPTION1",
         "prompt deleted",
         // The file deleted: the last good values stay.
         "prompt \"Hold under\" offered on INPUT_INTERACT_OPTION1",
         "prompt deleted",
         // A directory in its place: likewise.
         "prompt \"Hold under\" offered on INPUT_INTERACT_OPTION1",
     },
     [](const sim::Host& host) {
         // Exactly the four prompts the milestones name, none in between.
         EXPECT_EQ(host.world.prompts.size(), 4U);
     }},
    {"above-the-trough",
     {
         "the player completed the hold",
         "player placed at (101.57, 201.36, 49.80) heading 233.1",
         "victim placed at (101.25, 201.60, 49.80) heading 233.1",
         "drowning move AR_TO_TROUGH_FROM_STANDING_CUSTOM started",
     },
     [](const sim::Host& host) {
         // No horizontal distance to the trough: its facing is asked for once.
         const auto forward = callsTo(host, "GET_ENTITY_FORWARD_VECTOR");
         ASSERT_EQ(forward.size(), 1U);
         EXPECT_EQ(forward[0]->intArg(0), 900);
         // The probe fails, so both stand at the trough's own height, not
         // at the lifted height the probe started from.
         const auto probes = callsTo(host, "GET_GROUND_Z_FOR_3D_COORD");
         ASSERT_EQ(probes.size(), 1U);
         EXPECT_EQ(probes[0]->floatBits(2), std::bit_cast<std::uint32_t>(49.8F + 1.0F));
         EXPECT_EQ(probes[0]->result[0], 0U);
         const auto placed = callsTo(host, "SET_ENTITY_COORDS");
         ASSERT_EQ(placed.size(), 2U);
         for (const sim::TraceEntry* entry : placed) {
             EXPECT_EQ(entry->floatBits(3), std::bit_cast<std::uint32_t>(49.8F));
         }
     }},
    {"knockout-and-throw",
     {
         "drowning move AR_TO_TROUGH_FROM_STANDING_CUSTOM started",
         "victim says DROWNING",
         "splash 1 on the victim",
         "knockout finish 1 of 4 on the victim",
         "knockout finish 2 of 4 on the victim",
         "knockout finish 3 of 4 on the victim",
         "knockout finish 4 of 4 on the victim",
         "victim thrown by the player",
     },
     [](const sim::Host& host) {
         constexpr int victimHandle = 2;
         constexpr int playerHandle = 1;
         const auto splashes = callsTo(host, "PLAY_PARTICLE_FX_ON_PED");
         ASSERT_EQ(splashes.size(), 1U);
         EXPECT_EQ(splashes[0]->floatArg(9), 1.0F);
         // The finish comes on the first frame at least 11000 ms after the
         // knockout splash, once each, with its own arguments.
         const std::vector<std::vector<std::int32_t>> finishes = {{victimHandle, 1},
                                                                  {victimHandle, playerHandle, 0},
                                                                  {victimHandle, 1},
                                                                  {victimHandle, 0, 0}};
         for (std::size_t i = 0; i < finishes.size(); ++i) {
             const auto calls = callsTo(host, "KNOCKOUT_FINISH_" + std::to_string(i + 1));
             ASSERT_EQ(calls.size(), 1U) << "finish " << i + 1;
             const std::uint32_t waited = calls[0]->gameTime - splashes[0]->gameTime;
             EXPECT_GE(waited, 11000U);
             EXPECT_LT(waited, 11000U + host.world.gameTimerStep);
             ASSERT_EQ(calls[0]->args.size(), finishes[i].size()) << "finish " << i + 1;
             for (std::size_t a = 0; a < finishes[i].size(); ++a) {
                 EXPECT_EQ(calls[0]->intArg(a), finishes[i][a]) << "finish " << i + 1;
             }
         }
         const auto throws = callsTo(host, "THROW_START");
         ASSERT_EQ(throws.size(), 1U);
         EXPECT_EQ(throws[0]->intArg(0), victimHandle);
         EXPECT_EQ(throws[0]->intArg(1), playerHandle);
         const auto flags = callsTo(host, "THROW_SET_FLAGS");
         ASSERT_EQ(flags.size(), 1U);
         EXPECT_EQ(flags[0]->intArg(1), 0x8000);
     }},
    {"crowd-of-1024",
     {
         "prompt \"Drown\" offered on INPUT_CONTEXT_X",
         "prompt placed in the prompt group 77",
     },
     [](const sim::Host& host) {
         bool listedAll = false;
         for (const sim::TraceEntry& entry : host.trace) {
             if (entry.kind == sim::TraceEntry::Kind::GetAllPeds) {
                 listedAll = entry.result[0] == 1024U;
                 break;
             }
         }
         EXPECT_TRUE(listedAll) << "the first scan did not see the whole crowd";
         // The group asked for is the expected pedestrian's, handle 30.
         const auto groups = callsTo(host, "PROMPT_GET_GROUP_ID_FOR_TARGET_ENTITY");
         ASSERT_EQ(groups.size(), 1U);
         EXPECT_EQ(groups[0]->intArg(0), 30);
     }},
    {"game-reloaded",
     {
         "prompt \"Drown\" offered on INPUT_CONTEXT_X",
         "the game restarts its scripts (restart 1)",
         "the game makes its own prompt \"Loot\", id 1",
         // At once, while the grapple is still held: the ended run's prompt
         // is neither used nor deleted.
         "a new prompt made, 2, the first since restart 1",
         "prompt \"Drown\" offered on INPUT_CONTEXT_X",
         "prompt deleted",
         "prompt \"Drown\" offered on INPUT_CONTEXT_X",
         "drowning move AR_TO_TROUGH_FROM_STANDING_CUSTOM started: player leads, victim follows",
         "splash 1 on the victim",
         "the game restarts its scripts (restart 2)",
         "the game makes its own prompt \"Loot\", id 1",
         "a new prompt made, 4, the first since restart 2",
         "drowning move AR_TO_TROUGH_FROM_STANDING_CUSTOM started: player leads, second victim "
         "follows",
         "knockout finish 4 of 4 on the second victim",
     },
     [](const sim::Host& host) {
         const auto restarts = std::count_if(host.trace.begin(), host.trace.end(), [](auto& e) {
             return e.kind == sim::TraceEntry::Kind::Restart;
         });
         EXPECT_EQ(restarts, 2);
         // One prompt before the first restart, one right after it, one on
         // taking hold again and one for the second victim.
         EXPECT_EQ(callsTo(host, "PROMPT_REGISTER_BEGIN").size(), 4U);
         // The restart in the pause ends the wait with its run: the first
         // victim never gets the finish; the second gets it once.
         for (int i = 1; i <= 4; ++i) {
             const auto calls = callsTo(host, "KNOCKOUT_FINISH_" + std::to_string(i));
             ASSERT_EQ(calls.size(), 1U) << "finish " << i;
             EXPECT_EQ(calls[0]->intArg(0), 3) << "finish " << i;
         }
     }},
};

INSTANTIATE_TEST_SUITE_P(Registry, ScenarioStory, ::testing::ValuesIn(scenarioCases), rowName);

// A scenario cannot be added untested: every registered one needs its row
// above, with milestones that make its point.
TEST(Scenarios, EveryRegisteredOneHasAStoryRow) {
    for (const sim::Scenario& scenario : sim::scenarios()) {
        const auto row = std::ranges::find(scenarioCases, scenario.name, &ScenarioCase::name);
        EXPECT_NE(row, std::end(scenarioCases))
            << "scenario " << scenario.name << " has no row in scenarioCases (story_test.cpp)";
        if (row != std::end(scenarioCases)) {
            EXPECT_FALSE(row->milestones.empty()) << scenario.name;
        }
    }
}

} // namespace
