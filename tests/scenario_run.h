// A registered scenario played whole against the module, as the hook plays a
// script module: attach, the scenario's frames on the script fiber, the
// script's run ended, detach. The story and picture tests and the log tests
// share it.
#pragma once

#include "host/entry.h"

#include "module_state.h"
#include "scenario.h"
#include "story.h"
#include "temp_cwd.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace test {

// The settings whole runs are played with, unless a test gives its own. They
// differ from the shipped sample (dist/Sloshmere.ini, INPUT_CONTEXT_Y) on
// purpose: the committed story and picture of the typical drowning were
// recorded with INPUT_CONTEXT_X, and a control other than the sample's shows
// that the label and control in a story come from the game folder's own file.
// A milestone copied from the output of sloshmere-game, which plays with the
// sample, names INPUT_CONTEXT_Y: write INPUT_CONTEXT_X in its place.
inline constexpr std::string_view storySettings =
    "[Sloshmere]\nDrownText = Drown\nDrownInput = INPUT_CONTEXT_X\n";

inline HMODULE scenarioModule() {
    return reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x180000000));
}

class ScenarioRun {
public:
    using Prepare = std::function<void(const TempCwd&)>;
    using Adjust = std::function<void(sim::Host&, const TempCwd&)>;

    // Plays the scenario `name` in a fresh game folder holding `settings`,
    // for `frames` (its own count when 0); `adjust`, when given, changes the
    // game's side after the stage.
    explicit ScenarioRun(std::string_view name, std::string_view settings = storySettings,
                         const Adjust& adjust = nullptr, int frames = 0)
        : ScenarioRun(
              name, [settings](const TempCwd& cwd) { cwd.write("Sloshmere.ini", settings); },
              adjust, frames) {}

    // The same in a fresh folder that `prepare` lays out.
    ScenarioRun(std::string_view name, const Prepare& prepare, const Adjust& adjust = nullptr,
                int frames = 0) {
        resetModuleState();
        prepare(cwd_);
        const sim::Scenario* scenario = sim::findScenario(name);
        if (scenario == nullptr) {
            ADD_FAILURE() << "no scenario named " << name;
            return;
        }
        cast = scenario->stage(host);
        if (adjust) {
            adjust(host, cwd_);
        }
        DllMain(scenarioModule(), DLL_PROCESS_ATTACH, nullptr);
        host.runFrames(frames != 0 ? frames : scenario->frames);
        // As the hook unloads: the script's run ends first, then the detach.
        host.endScripts();
        DllMain(scenarioModule(), DLL_PROCESS_DETACH, nullptr);
        story = sim::formatStory(sim::tellStory(host, cast));
        std::ifstream in(cwd_.path() / "Sloshmere.log", std::ios::binary);
        log.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // Every call the module made, with the game's answers.
    [[nodiscard]] std::vector<std::string> calls() const {
        std::vector<std::string> out;
        for (const sim::TraceEntry& entry : host.trace) {
            out.push_back(sim::describe(entry));
        }
        return out;
    }

    [[nodiscard]] const TempCwd& folder() const { return cwd_; }

    sim::Host host;
    sim::Cast cast;
    std::vector<std::string> story;
    // Sloshmere.log as the run left it; empty when there is none.
    std::string log;

private:
    TempCwd cwd_;
};

} // namespace test
