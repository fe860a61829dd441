// A whole typical drowning, end to end: the module is attached, its script
// runs on the fiber frame by frame against the staged world, and the story of
// what it asked the game for is compared with the committed one.
#include "host/entry.h"

#include "module_state.h"
#include "scenario.h"
#include "story.h"
#include "temp_cwd.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string goldenPath = std::string(SLOSHMERE_GOLDEN_DIR) + "/typical_drowning.txt";

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class TypicalDrowning : public ::testing::Test {
protected:
    void SetUp() override {
        test::resetModuleState();
        cwd.write("Sloshmere.ini",
                  "[Sloshmere]\nDrownText = Drown\nDrownInput = INPUT_CONTEXT_X\n");
        names = sim::stageTypicalDrowning(host);
        const auto module = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x180000000));
        DllMain(module, DLL_PROCESS_ATTACH, nullptr);
        host.runFrames(sim::typicalDrowningFrames);
        DllMain(module, DLL_PROCESS_DETACH, nullptr);
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
    if (std::getenv("SLOSHMERE_UPDATE_GOLDEN") != nullptr) {
        std::ofstream out(goldenPath);
        for (const std::string& line : story) {
            out << line << '\n';
        }
    }
    const std::vector<std::string> golden = readLines(goldenPath);
    ASSERT_FALSE(golden.empty()) << goldenPath << " is missing; run with SLOSHMERE_UPDATE_GOLDEN=1";
    for (std::size_t i = 0; i < std::max(golden.size(), story.size()); ++i) {
        const std::string want = i < golden.size() ? golden[i] : "(nothing)";
        const std::string got = i < story.size() ? story[i] : "(nothing)";
        ASSERT_EQ(got, want) << "first difference at line " << i + 1 << " of " << goldenPath;
    }
}

} // namespace
