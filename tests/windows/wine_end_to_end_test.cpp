// Sloshmere.asi in the simulated game, loaded as the hook's loader loads it:
// LoadLibrary runs its DllMain, its script runs on a real Win32 fiber, and
// FreeLibrary takes it out again. Every case runs in this one process.
#include "game.h"
#include "host.h"
#include "joaat.h"
#include "scenario.h"
#include "settings/controls.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

using Kind = sim::TraceEntry::Kind;

constexpr std::uint64_t PLAYER_PED_ID = 0x096275889B8E0EE0;

// The trace from entry `first` on, in words.
std::vector<std::string> linesFrom(const sim::Host& host, std::size_t first) {
    std::vector<std::string> out;
    for (std::size_t i = first; i < host.trace.size(); ++i) {
        out.push_back(sim::describe(host.trace[i]));
    }
    return out;
}

class WineEndToEnd : public ::testing::Test {
protected:
    WineEndToEnd() { host.world.addPed(host.world.playerHandle); }

    sim::Host host;
    sim::Game game{sim::Game::executableFolder() / "game-tests", sim::Game::executableFolder()};
};

TEST_F(WineEndToEnd, EachLoadRegistersInOrderAndEachUnloadUnregistersInOrder) {
    // Twice: the module's static data must come back whole after an unload.
    for (int cycle = 0; cycle < 2; ++cycle) {
        SCOPED_TRACE("load " + std::to_string(cycle + 1));
        const std::size_t beforeLoad = host.trace.size();
        const HMODULE module = game.loadModule();
        EXPECT_EQ(linesFrom(host, beforeLoad),
                  (std::vector<std::string>{"scriptRegister", "keyboardHandlerRegister"}))
            << "attach registers the script, then the keyboard callback, and runs nothing";
        EXPECT_EQ(host.scriptModule(), module) << "the script is registered with the .asi's handle";
        EXPECT_TRUE(host.keyboardRegistered());

        host.runFrames(3);

        const std::size_t beforeUnload = host.trace.size();
        game.unloadModule();
        EXPECT_EQ(linesFrom(host, beforeUnload),
                  (std::vector<std::string>{"scriptUnregister", "keyboardHandlerUnregister"}));
        EXPECT_FALSE(host.scriptRegistered()) << "detach must name the handle it attached with";
        EXPECT_FALSE(host.keyboardRegistered()) << "detach must hand back the same callback";
    }
}

TEST_F(WineEndToEnd, TheScriptYieldsExactlyOncePerFrameForManyFrames) {
    game.loadModule();
    const std::size_t registered = host.trace.size();
    constexpr int frames = 600;
    host.runFrames(frames);

    ASSERT_GT(host.trace.size(), registered);
    const sim::TraceEntry& first = host.trace[registered];
    EXPECT_EQ(first.kind, Kind::Native);
    EXPECT_EQ(first.hash, PLAYER_PED_ID) << "a pass starts with the player's pedestrian";

    std::vector<int> waits(frames, 0);
    for (std::size_t i = registered; i < host.trace.size(); ++i) {
        const sim::TraceEntry& entry = host.trace[i];
        ASSERT_LT(entry.frame, static_cast<std::uint64_t>(frames));
        if (entry.kind == Kind::Wait) {
            EXPECT_EQ(entry.args.at(0), 0U) << "frame " << entry.frame;
            ++waits[entry.frame];
            const bool lastOfFrame =
                i + 1 == host.trace.size() || host.trace[i + 1].frame != entry.frame;
            EXPECT_TRUE(lastOfFrame) << "frame " << entry.frame << " goes on after its wait";
        }
    }
    for (int frame = 0; frame < frames; ++frame) {
        EXPECT_EQ(waits[static_cast<std::size_t>(frame)], 1) << "frame " << frame;
    }
    EXPECT_FALSE(host.scriptEscaped());

    game.unloadModule();
    const std::size_t unloaded = host.trace.size();
    host.runFrames(5);
    EXPECT_EQ(host.trace.size(), unloaded) << "nothing of the module runs after its unload";
    EXPECT_FALSE(host.scriptEscaped());
}

TEST_F(WineEndToEnd, TheModuleCarriesItsVersion) {
    const std::wstring path = game.modulePath().wstring();
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    ASSERT_NE(size, 0U) << "no VERSIONINFO resource";
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));

    void* fixed = nullptr;
    UINT fixedSize = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", &fixed, &fixedSize));
    ASSERT_GE(fixedSize, sizeof(VS_FIXEDFILEINFO));
    const auto* version = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%u.%u.%u",
                  static_cast<unsigned>(HIWORD(version->dwFileVersionMS)),
                  static_cast<unsigned>(LOWORD(version->dwFileVersionMS)),
                  static_cast<unsigned>(HIWORD(version->dwFileVersionLS)));
    EXPECT_STREQ(numbers, SLOSHMERE_VERSION);

    void* name = nullptr;
    UINT nameLength = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductName", &name,
                               &nameLength));
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(name)), L"Sloshmere");
}

// The prompt calls of the trace, in words: the prompt's natives and the label
// made for it.
std::vector<std::string> promptCalls(const sim::Host& host) {
    std::vector<std::string> out;
    for (const sim::TraceEntry& entry : host.trace) {
        const std::string label = sim::nativeLabel(entry.hash);
        if (entry.kind == Kind::Native &&
            (label.starts_with("PROMPT_") || label == "CREATE_VAR_STRING")) {
            out.push_back(sim::describe(entry));
        }
    }
    return out;
}

// A freshly loaded .asi starts from its own initial values, with no test
// fixture to set them: no prompt (id 0), none live, the label "Drown" and no
// control. Each row loads the module afresh into a game folder without
// settings and reads the prompt calls of the first frame.
TEST(FreshlyLoadedModule, StartsWithNoPromptTheDefaultLabelAndNoControl) {
    constexpr int victim = 2;
    struct Row {
        const char* name;
        void (*stage)(sim::World& world, sim::Ped& player);
        std::vector<std::string> calls;
    };
    const Row rows[] = {
        {"busy before any prompt exists: prompt 0 is hidden",
         [](sim::World&, sim::Ped& player) { player.actions = {sim::joaat("AR_GRAPPLE_CHOKE")}; },
         {"PROMPT_SET_ENABLED(0, 0)", "PROMPT_SET_VISIBLE(0, 0)"}},
        {"no trough: no prompt is live, so none is hidden", [](sim::World&, sim::Ped&) {}, {}},
        {"offered: the first prompt has the default label and no control",
         [](sim::World& world, sim::Ped& player) {
             player.grapplePartner = victim;
             player.grappleFlag = 1;
             player.grappleState = 0x13930D00;
             world.addPed(victim).position = {0.5F, 0.0F, 0.0F};
             world.addObject(500, sim::joaat("p_watertrough01x"), {1.0F, 0.0F, 0.0F});
         },
         {"PROMPT_PREPARE(0)", "PROMPT_REGISTER_BEGIN() -> 0x1",
          "PROMPT_SET_CONTROL_ACTION(1, 0xFFFFFFFF)",
          "CREATE_VAR_STRING(10, \"LITERAL_STRING\", \"Drown\") -> 0x5641525300000000",
          "PROMPT_SET_TEXT(1, 0x5641525300000000)  ; label \"Drown\"", "PROMPT_SET_PRIORITY(1, 3)",
          "PROMPT_SET_OPTION(1, 1)", "PROMPT_SET_HOLD_MODE(1, 200)", "PROMPT_REGISTER_END(1)",
          "PROMPT_SET_ENABLED(1, 1)", "PROMPT_SET_VISIBLE(1, 1)",
          "PROMPT_GET_GROUP_ID_FOR_TARGET_ENTITY(2) -> 0xFFFFFFFF"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sim::Host host;
        row.stage(host.world, host.world.addPed(host.world.playerHandle));
        sim::Game game{sim::Game::executableFolder() / "fresh-load", sim::Game::executableFolder()};
        // The game folder is the current directory; without settings the
        // label and control are the module's initial ones.
        std::filesystem::remove("Sloshmere.ini");
        game.loadModule();
        host.runFrames(1);
        game.unloadModule();
        EXPECT_EQ(promptCalls(host), row.calls);
    }
}

// The typical drowning played by the .asi with the current directory, the
// folder it takes for the game's, set to `folder` after the game has made its
// own; returns every call, in words, with the game's answers.
std::vector<std::string> typicalDrowningFrom(const std::filesystem::path& folder) {
    sim::Host host;
    const sim::Scenario* scenario = sim::findScenario("typical-drowning");
    scenario->stage(host);
    sim::Game game{sim::Game::executableFolder() / "log-game", sim::Game::executableFolder()};
    std::filesystem::current_path(folder);
    game.loadModule();
    host.runFrames(scenario->frames);
    game.unloadModule();
    EXPECT_FALSE(host.scriptEscaped());
    return linesFrom(host, 0);
}

// Sloshmere.log on the real .asi: written where the settings turn it on, and
// given up where the folder cannot be written (made read-only by this test's
// fixture, read_only_folder.cmake), which must not change a call the game
// sees. (trace_agreement holds the .asi's calls with the log off to the same.)
TEST(ModuleLog, IsWrittenWhenOnAndAFolderThatCannotBeWrittenCostsNothingElse) {
    namespace fs = std::filesystem;
    const fs::path bin = sim::Game::executableFolder();
    const fs::path readOnly = bin / "log-read-only";
    ASSERT_TRUE(fs::exists(readOnly / "Sloshmere.ini")) << "run with the fixture that makes it";
    ASSERT_FALSE(std::ofstream(readOnly / "probe")) << readOnly.string() << " can be written";

    const fs::path folder = bin / "log-1";
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::ofstream(folder / "Sloshmere.ini", std::ios::binary)
        << "[Sloshmere]\r\nDrownText = Drown\r\nDrownInput = INPUT_CONTEXT_Y\r\nLog = 1\r\n";
    const std::vector<std::string> written = typicalDrowningFrom(folder);
    const std::vector<std::string> givenUp = typicalDrowningFrom(readOnly);
    EXPECT_FALSE(fs::exists(readOnly / "Sloshmere.log"));

    std::ifstream in(folder / "Sloshmere.log", std::ios::binary);
    const std::string log{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(log.find("prompt offered: hold INPUT_CONTEXT_Y to \"Drown\""), std::string::npos)
        << log;
    const std::regex facts("Game: [^\r]+\\.exe, .*\r\nScript hook: ScriptHookRDR2.dll, "
                           ".*\r\nSystem: Windows [0-9]+.[0-9]+.[0-9]+ under Wine");
    EXPECT_TRUE(std::regex_search(log, facts)) << log;
    EXPECT_NE(log.find("drowning: the victim is knocked out"), std::string::npos) << log;
    EXPECT_NE(log.find("\r\n"), std::string::npos) << "lines end as Notepad expects";

    ASSERT_GT(written.size(), 1000U);
    EXPECT_EQ(givenUp, written) << "a folder that cannot be written changed the calls";
}

// The players' README, as the package holds it, lists every name DrownInput
// accepts in this build's own control table, each once, and mentions no
// INPUT_ name the module does not know, so a player never picks one it ignores.
TEST(PlayersReadme, ListsEveryControlNameTheModuleAcceptsAndNoOther) {
    const auto path = sim::Game::executableFolder() / SLOSHMERE_README_FROM_BIN;
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << "cannot read " << path.string();

    std::set<std::string> accepted;
    for (const auto& entry : sloshmere::buildControlNameTable()) {
        accepted.insert(entry.first);
    }
    // In the CONTROL NAMES section, a name alone on a line indented by two.
    const std::regex listed("  (INPUT_[A-Z0-9_]+)");
    const std::regex mention("INPUT_[A-Z0-9_]*[A-Z0-9](?![A-Z0-9_])");
    std::multiset<std::string> names;
    bool inList = false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        inList = inList || line == "CONTROL NAMES";
        std::smatch match;
        if (inList && std::regex_match(line, match, listed)) {
            names.insert(match[1]);
        }
        for (std::sregex_iterator it(line.begin(), line.end(), mention), end; it != end; ++it) {
            EXPECT_TRUE(accepted.contains(it->str())) << "the README names " << it->str();
        }
    }
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), accepted);
    EXPECT_EQ(names.size(), accepted.size()) << "a name is listed more than once";
}

} // namespace
