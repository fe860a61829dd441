#include "game.h"

#include "game_folder.h"
#include "hook_exports.h"
#include "host.h"
#include "host/entry.h"
// The module's declarations of the hook's functions beside the host's
// definitions (hook_exports.h): a difference between the two fails here.
#include "host/hook.h"

#include <stdexcept>
#include <system_error>

namespace sim {

namespace {

// What the module's DllMain is handed for its own handle; any value the real
// loader could give will do, since the module only passes it back.
HMODULE linkedModuleHandle() {
    static int anchor = 0;
    return reinterpret_cast<HMODULE>(&anchor);
}

} // namespace

std::filesystem::path Game::executableFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        throw std::runtime_error("cannot name the running executable: " + error.message());
    }
    return self.parent_path();
}

Game::Game(const std::filesystem::path& folder, const std::filesystem::path& binaries)
    : folder_(std::filesystem::absolute(folder)) {
    namespace fs = std::filesystem;
    fs::create_directories(folder_);
    // A game folder without settings gets the sample players download, so
    // the run shows the module as it behaves out of the box, with its
    // log on.
    giveSampleSettings(folder_, binaries);
    // The module reads its settings relative to the current directory, which
    // in the game is the game's own folder.
    previousDirectory_ = fs::current_path();
    fs::current_path(folder_);
}

Game::~Game() {
    unloadModule();
    std::error_code ignored;
    std::filesystem::current_path(previousDirectory_, ignored);
}

std::string Game::moduleName() const {
    return "the module linked into " + modulePath().string();
}

std::filesystem::path Game::modulePath() const {
    return executableFolder() / "sloshmere-game";
}

HMODULE Game::loadModule() {
    if (module_ == nullptr) {
        module_ = linkedModuleHandle();
        DllMain(module_, DLL_PROCESS_ATTACH, nullptr);
    }
    return module_;
}

void Game::unloadModule() {
    if (module_ != nullptr) {
        // As the hook unloads: every script's run is ended first, then the
        // library is let go, which here means its detach.
        if (Host* host = Host::current()) {
            host->endScripts();
        }
        DllMain(module_, DLL_PROCESS_DETACH, nullptr);
        module_ = nullptr;
    }
}

} // namespace sim
