// The settings file changed by the player between prompts: edited, deleted,
// and replaced by a directory of the same name. The scenario leaves the file
// as its last round made it; the runner puts back what the game folder held.
#include "scenario.h"

#include "stage.h"

#include <filesystem>
#include <fstream>
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
// player lets go; the file changes while nobody is held, after each of the
// first three, as the player would change it. The fourth meets the directory
// and keeps the last good values.
struct Round {
    std::uint64_t grapple;
    std::uint64_t letGo;
    void (*changeSettings)();
};
constexpr Round rounds[] = {
    {2, 12, [] { writeSettings(editedSettings); }},
    {18, 28, deleteSettings},
    {32, 42, makeSettingsADirectory},
    {46, 56, nullptr},
};

// Two frames after letting go, once both dictionaries are released.
constexpr std::uint64_t settleFrames = 2;

} // namespace

Cast stageSettingsEdited(Host& host) {
    stage::setTroughSide(host.world);
    writeSettings(firstSettings);
    for (const Round& round : rounds) {
        stage::onFrame(host, round.grapple, stage::grapple);
        stage::onFrame(host, round.letGo, letGo);
        if (round.changeSettings != nullptr) {
            stage::onFrame(host, round.letGo + settleFrames,
                           [change = round.changeSettings](World&) { change(); });
        }
    }
    return stage::pairCast();
}

} // namespace sim
