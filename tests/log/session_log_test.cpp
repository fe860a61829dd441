// Sloshmere.log in whole runs: what it tells of a scenario, that it never
// changes what the game is asked, how it keeps to its budget, and that a
// folder it cannot write in costs nothing but the log.
#include "drown/prompt.h"
#include "host/entry.h"
#include "log/log_file.h"
#include "log/session_log.h"

#include "golden_file.h"
#include "module_state.h"
#include "scenario.h"
#include "scenario_run.h"
#include "temp_cwd.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace sloshmere;
using test::ScenarioRun;

const std::string logOn = "[Sloshmere]\nDrownText = Drown\nDrownInput = INPUT_CONTEXT_X\nLog = 1\n";
const std::string logOff =
    "[Sloshmere]\nDrownText = Drown\nDrownInput = INPUT_CONTEXT_X\nLog = 0\n";

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void expectGoldenLines(const std::string& text) {
    test::expectGolden("typical_drowning.log", test::linesOf(std::istringstream(text)));
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

// The typical drowning's log, whole, with what differs from run to run (the
// clock, the folder, the version) masked.
TEST(SessionLog, TheTypicalDrowningsLogMatchesTheCommittedOne) {
    const ScenarioRun run("typical-drowning", logOn);
    std::string log = std::regex_replace(run.log, std::regex(R"(\d\d:\d\d:\d\d)"), "hh:mm:ss");
    log = std::regex_replace(log, std::regex(R"(\d{4}-\d\d-\d\d)"), "YYYY-MM-DD");
    log = std::regex_replace(log, std::regex("Game folder: .*"), "Game folder: (the game folder)");
    log = std::regex_replace(log, std::regex("^Sloshmere [^ ]+ log"), "Sloshmere (version) log");
    expectGoldenLines(log);
}

// Each load begins the file afresh and keeps the last one; a restart of the
// script within a load goes on in the same file and says so.
TEST(SessionLog, EachLoadBeginsAfreshAndARestartGoesOn) {
    test::resetModuleState();
    const test::TempCwd cwd;
    cwd.write("Sloshmere.ini", logOn);
    sim::Host host;
    host.world.addPed(host.world.playerHandle);
    DllMain(test::scenarioModule(), DLL_PROCESS_ATTACH, nullptr);
    host.runFrames(2);
    host.endScripts();
    DllMain(test::scenarioModule(), DLL_PROCESS_DETACH, nullptr);
    const std::string first = readFile(cwd.path() / "Sloshmere.log");

    DllMain(test::scenarioModule(), DLL_PROCESS_ATTACH, nullptr);
    host.runFrames(2);
    // The game ends and starts the script again, a prompt live; the module
    // stays loaded.
    sloshmere::promptActive = true;
    host.restartScripts();
    host.runFrames(2);
    // Log turned off in the file: the next start of the script ends the log.
    cwd.write("Sloshmere.ini", logOff);
    host.restartScripts();
    host.runFrames(2);
    host.endScripts();
    DllMain(test::scenarioModule(), DLL_PROCESS_DETACH, nullptr);
    const std::string second = readFile(cwd.path() / "Sloshmere.log");

    EXPECT_EQ(readFile(cwd.path() / "Sloshmere.previous.log"), first);
    EXPECT_EQ(count(first, "log, begun"), 1U) << first;
    EXPECT_EQ(count(second, "log, begun"), 1U) << second;
    EXPECT_EQ(count(first, "restarted"), 0U) << first;
    EXPECT_EQ(count(second, "the game restarted the script (start 2)"), 1U) << second;
    EXPECT_EQ(count(second, "the prompt from before the restart is forgotten"), 1U) << second;
    EXPECT_TRUE(second.ends_with("the log stops here\n")) << second;
}

// "Log" turned on while the script runs: the log begins as the prompt is
// offered, when the settings are read again, not only at a start.
TEST(SessionLog, TheLogBeginsWhenTheFileTurnsItOnBeforeAPrompt) {
    const ScenarioRun run(
        "typical-drowning", logOff, [](sim::Host& host, const test::TempCwd& cwd) {
            sim::stage::onFrame(host, 1,
                                [&cwd](sim::World&) { cwd.write("Sloshmere.ini", logOn); });
        });
    EXPECT_EQ(count(run.log, "the log begins as the prompt is offered"), 1U) << run.log;
}

// A label is quoted whole up to the width shown, and cut with "..." past it:
// in the header, in the re-read that takes it up, and in the prompt offered.
TEST(SessionLog, ALabelIsCutOnlyPastTheWidthShown) {
    for (const std::size_t size : {logLabelBytes, logLabelBytes + 1}) {
        const std::string label(size, 'L');
        const ScenarioRun run("typical-drowning",
                              "[Sloshmere]\nDrownText = " + label +
                                  "\nDrownInput = INPUT_CONTEXT_X\nLog = 1\n",
                              nullptr, 40);
        const std::string cut = size > logLabelBytes ? "...\"" : "\"";
        EXPECT_EQ(count(run.log, '"' + label.substr(0, logLabelBytes) + cut), 3U) << run.log;
    }
}

// The log asks the game nothing: every scenario sends the same calls, with
// the same answers, whether it is on or off, and only "on" leaves a file.
TEST(SessionLog, EveryScenarioSendsTheSameCallsWithTheLogOnAndOff) {
    for (const sim::Scenario& scenario : sim::scenarios()) {
        SCOPED_TRACE(std::string(scenario.name));
        const ScenarioRun on(scenario.name, logOn);
        const ScenarioRun off(scenario.name, logOff);
        EXPECT_FALSE(on.host.scriptEscaped());
        // settings-edited writes settings of its own, without Log.
        EXPECT_EQ(on.log.empty(), scenario.name == "settings-edited");
        EXPECT_TRUE(off.log.empty());
        const std::vector<std::string> withLog = on.calls();
        const std::vector<std::string> without = off.calls();
        ASSERT_EQ(withLog.size(), without.size());
        for (std::size_t i = 0; i < withLog.size(); ++i) {
            ASSERT_EQ(withLog[i], without[i]) << "first difference at call " << i + 1;
        }
    }
}

// At most 20 lines in any 60 passes, and a file of at most 1 MiB; what is
// refused is counted and said once the budget allows again.
TEST(SessionLog, TheBudgetCountsPassesAndBytes) {
    struct Step {
        std::uint64_t pass;
        std::uint64_t fileBytes;
        bool allowed;
        std::uint64_t leftOut;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    std::vector<Step> twentyInPassOne(20, Step{1, 0, true, 0});
    auto burst = twentyInPassOne;
    burst.push_back({60, 0, false, 1});
    burst.push_back({60, 0, false, 2});
    burst.push_back({61, 0, true, 2}); // 60 passes after the first line
    auto slow = twentyInPassOne;
    slow.push_back({61, 0, true, 0});
    const std::vector<Case> cases = {
        {"twenty lines in one pass are allowed, the next in the window not", burst},
        {"a line 60 passes after the oldest is allowed", slow},
        {"a line that would pass the last free 200 bytes is refused, and so is every later "
         "one",
         {{1, logFileLimit - logFileReserve - 10, true, 0},
          {2, logFileLimit - logFileReserve - 5, false, 1},
          {500, 0, false, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LineBudget budget;
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            EXPECT_EQ(budgetTake(budget, step.pass, step.fileBytes, 10), step.allowed)
                << "line " << i + 1;
            EXPECT_EQ(budget.leftOut, step.leftOut) << "line " << i + 1;
        }
    }
}

// A grapple that flickers every pass between held and not held, beside the
// trough: two changes a pass, far more than the log may tell.
TEST(SessionLog, AFlickeringGrappleStaysWithinTheBudget) {
    constexpr int frames = 1000;
    const auto flicker = [](sim::Host& host, const test::TempCwd&) {
        for (int frame = 0; frame < frames; ++frame) {
            sim::stage::onFrame(host, static_cast<std::uint64_t>(frame), [frame](sim::World& w) {
                w.findPed(sim::stage::player)->grappleFlag = frame % 2;
            });
        }
    };
    const ScenarioRun run("typical-drowning", logOn, flicker, frames);
    std::istringstream lines(run.log);
    std::vector<std::uint64_t> passes;
    for (std::string line; std::getline(lines, line);) {
        const auto at = line.find(" pass ");
        if (at == 8 && line.find("lines left out") == std::string::npos &&
            line.find("unloaded") == std::string::npos) {
            passes.push_back(std::stoull(line.substr(at + 6)));
        }
    }
    ASSERT_GT(passes.size(), 40U) << run.log;
    for (std::size_t i = 20; i < passes.size(); ++i) {
        ASSERT_GE(passes[i] - passes[i - 20], budgetPasses) << "21 lines within 60 passes";
    }
    EXPECT_GE(count(run.log, "lines left out (at most 20 lines in any 60 passes)"), 2U) << run.log;
    EXPECT_GT(passes.back(), 3 * budgetPasses);
}

// A folder that cannot be written: no log, the same calls as with the log off,
// and no second try once the folder could be written again.
TEST(SessionLog, AFolderThatCannotBeWrittenIsGivenUpForTheLoad) {
    const ScenarioRun off("typical-drowning", logOff);
    bool readOnly = false;
    const ScenarioRun on(
        "typical-drowning", logOn, [&readOnly](sim::Host& host, const test::TempCwd& cwd) {
            const std::string folder = cwd.path().string();
            ::chmod(folder.c_str(), 0555);
            // Root writes past the mode bits; the immutable flag stops it too.
            if (std::ofstream(cwd.path() / "probe")) {
                std::filesystem::remove(cwd.path() / "probe");
                (void)std::system(("chattr +i '" + folder + "' 2>/dev/null").c_str());
            }
            readOnly = !std::ofstream(cwd.path() / "probe");
            // Writable again before the prompt's settings are re-read with the log
            // still on: the log must not try again.
            sim::stage::onFrame(host, 5, [folder](sim::World&) {
                (void)std::system(("chattr -i '" + folder + "' 2>/dev/null").c_str());
                ::chmod(folder.c_str(), 0755);
            });
        });
    if (!readOnly) {
        GTEST_SKIP() << "this machine cannot make a folder read-only for this user";
    }
    EXPECT_FALSE(on.host.scriptEscaped());
    EXPECT_FALSE(std::filesystem::exists(on.folder().path() / "Sloshmere.log"));
    EXPECT_EQ(on.calls(), off.calls());
}

} // namespace
