// A whole typical drowning, end to end: the module is attached, its script
// runs on the fiber frame by frame against the staged world, and the story and
// the picture of what it asked the game for are compared with committed ones.
#include "host/entry.h"

#include "module_state.h"
#include "picture.h"
#include "scenario.h"
#include "story.h"
#include "temp_cwd.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> linesOf(std::istream&& in) {
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Compares `lines` with the committed file `name` in the golden folder, line by
// line; SLOSHMERE_UPDATE_GOLDEN rewrites the file first.
void expectGolden(const std::string& name, const std::vector<std::string>& lines) {
    const std::string path = std::string(SLOSHMERE_GOLDEN_DIR) + "/" + name;
    if (std::getenv("SLOSHMERE_UPDATE_GOLDEN") != nullptr) {
        std::ofstream out(path);
        for (const std::string& line : lines) {
            out << line << '\n';
        }
    }
    const std::vector<std::string> golden = linesOf(std::ifstream(path));
    ASSERT_FALSE(golden.empty()) << path << " is missing; run with SLOSHMERE_UPDATE_GOLDEN=1";
    for (std::size_t i = 0; i < std::max(golden.size(), lines.size()); ++i) {
        const std::string want = i < golden.size() ? golden[i] : "(nothing)";
        const std::string got = i < lines.size() ? lines[i] : "(nothing)";
        ASSERT_EQ(got, want) << "first difference at line " << i + 1 << " of " << path;
    }
}

// Stages the typical drowning, lets `adjust` change the game's side, and runs
// it from a fresh module to its end. Returns the roles of the entities.
std::map<int, std::string> runTypicalDrowning(test::TempCwd& cwd, sim::Host& host,
                                              const std::function<void(sim::Host&)>& adjust) {
    test::resetModuleState();
    cwd.write("Sloshmere.ini", "[Sloshmere]\nDrownText = Drown\nDrownInput = INPUT_CONTEXT_X\n");
    std::map<int, std::string> names = sim::stageTypicalDrowning(host);
    if (adjust) {
        adjust(host);
    }
    const auto module = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x180000000));
    DllMain(module, DLL_PROCESS_ATTACH, nullptr);
    host.runFrames(sim::typicalDrowningFrames);
    DllMain(module, DLL_PROCESS_DETACH, nullptr);
    return names;
}

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

class TypicalDrowning : public ::testing::Test {
protected:
    void SetUp() override {
        names = runTypicalDrowning(cwd, host, nullptr);
        story = sim::formatStory(sim::tellStory(host, names));
    }

    test::TempCwd cwd;
    sim::Host host;
    std::map<int, std::string> names;
    std::vector<std::string> story;
};

TEST_F(TypicalDrowning, MilestonesComeInOrder) {
    const std::vector<std::string> milestones = {
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
    };
    std::size_t next = 0;
    for (const std::string& line : story) {
        if (next < milestones.size() && line.find(milestones[next]) != std::string::npos) {
            ++next;
        }
    }
    EXPECT_EQ(next, milestones.size())
        << "missing milestone: \"" << milestones[std::min(next, milestones.size() - 1)] << "\"";
    EXPECT_FALSE(host.scriptEscaped());
}

TEST_F(TypicalDrowning, TheStoryMatchesTheCommittedOne) {
    expectGolden("typical_drowning.txt", story);
}

TEST_F(TypicalDrowning, ThePictureMatchesTheCommittedOne) {
    expectGolden("typical_drowning.svg",
                 linesOf(std::istringstream(sim::drawPicture(host, names))));
}

// The picture draws each pedestrian where SET_ENTITY_COORDS put it and turns
// its arrow by the heading SET_ENTITY_HEADING gave, to the last bit, and the
// trough where the module read it.
TEST_F(TypicalDrowning, ThePictureDrawsThePlacementAsTraced) {
    const std::string svg = sim::drawPicture(host, names);
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
}

// A hold that never completes: the prompt is offered and the dictionaries
// load, but nothing is placed, so the picture is the timeline alone.
TEST(PictureOfARun, WithoutAPlacementHasNoTopView) {
    test::TempCwd cwd;
    sim::Host host;
    const auto names = runTypicalDrowning(cwd, host, [](sim::Host& h) {
        h.handle(0xE0F65F0640EF0617, [](sim::NativeCall& call) { // PROMPT_HAS_HOLD_MODE_COMPLETED
            call.i32(0);
            call.returnBool(false);
        });
    });
    ASSERT_TRUE(host.calls(0x06843DA7060A026B).empty());  // no SET_ENTITY_COORDS
    ASSERT_FALSE(host.calls(0xF7AA2696A22AD8B9).empty()); // PROMPT_REGISTER_END
    const std::string svg = sim::drawPicture(host, names);
    EXPECT_EQ(svg.find("id=\"top-view\""), std::string::npos);
    EXPECT_TRUE(elementsOfClass(svg, "placed").empty());
    EXPECT_NE(svg.find("id=\"timeline\""), std::string::npos);
    EXPECT_FALSE(elementsOfClass(svg, "offer").empty());
}

} // namespace
