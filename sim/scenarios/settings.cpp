// The settings file changed by the player between prompts: edited, deleted,
// and replaced by a directory of the same name.
#include "scenario.h"

#include "settings_snapshot.h"
#include "stage.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>
#include <system_error>

namespace sim {

namespace {

// The module reads it from the current directory, which is the game folder.
constexpr const char* settingsFile = "Sloshmere.ini";

constexpr std::string_view firstSettings =
    "[Sloshmere]\nDrownText = Drown\nDrownInput = INPUT_CONTEXT_Y\n";
constexpr std::string_view editedSettings =
    "[Sloshmere]\nDrownText = Hold under\nDrownInput = INPUT_INTERACT_OPTION1\n";

// Whatever stands at the settings file's name (a file, or the directory an
// earlier run left) gives way to `content`.
void writeSettings(std::string_view content) {
    std::error_code ignored;
    std::filesystem::remove_all(settingsFile, ignored);
    std::ofstream out(settingsFile, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

void deleteSettings() {
    std::error_code ignored;
    std::filesystem::remove_all(settingsFile, ignored);
}

void makeSettingsADirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(settingsFile, ignored);
    std::filesystem::create_directory(settingsFile, ignored);
}

void letGo(World& world) {
    world.findPed(stage::player)->grappleFlag = 0;
}

// Four grapples, each offering a prompt that is retired again when the
// player lets go; the file changes while nobody is held, the first three times
// as the player would change it.
struct Round {
    std::uint64_t grapple;
    std::uint64_t letGo;
    void (*changeSettings)();
};
constexpr Round rounds[] = {
    {2, 12, [] { writeSettings(editedSettings); }},
    {18, 28, deleteSettings},
    {32, 42, makeSettingsADirectory},
};
// The last round, once its prompt is retired, puts back whatever the game
// folder held before the scenario wrote its own file, so the next run meets
// the folder as its owner left it.
struct LastRound {
    std::uint64_t grapple;
    std::uint64_t letGo;
};
constexpr LastRound lastRound = {46, 56};

// Two frames after letting go, once both dictionaries are released.
constexpr std::uint64_t settleFrames = 2;

} // namespace

Cast stageSettingsEdited(Host& host) {
    stage::setTroughSide(host.world);
    auto found = std::make_shared<const SettingsSnapshot>();
    writeSettings(firstSettings);
    for (const Round& round : rounds) {
        stage::onFrame(host, round.grapple, stage::grapple);
        stage::onFrame(host, round.letGo, letGo);
        stage::onFrame(host, round.letGo + settleFrames,
                       [change = round.changeSettings](World&) { change(); });
    }
    stage::onFrame(host, lastRound.grapple, stage::grapple);
    stage::onFrame(host, lastRound.letGo, letGo);
    stage::onFrame(host, lastRound.letGo + settleFrames,
                   [found = std::move(found)](World&) { found->restore(); });
    return stage::pairCast();
}

} // namespace sim
