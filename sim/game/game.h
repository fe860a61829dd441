// The simulated game process: a game folder made the current directory, the
// module loaded into it and unloaded again as the hook's loader does. On
// Windows (game_win32.cpp) the simulated ScriptHookRDR2.dll and the real
// Sloshmere.asi are loaded with LoadLibrary from beside the game, so no run
// puts them into, or takes them from, a game folder; on
// Linux (game_linux.cpp) the module is linked into the game and its DllMain
// is called directly. Either way the module's script then runs on the
// current Host's fiber.
#pragma once

#include "host/platform.h"

#include <filesystem>
#include <string>

namespace sim {

class Game {
public:
    // Makes `folder` if it is not there, gives it the sample Sloshmere.ini
    // from `binaries` unless it has one (giveSampleSettings), on Windows
    // loads the hook from `binaries`, and makes the folder the current
    // directory. Throws std::runtime_error when any step fails.
    Game(const std::filesystem::path& folder, const std::filesystem::path& binaries);
    // Unloads the module if it is loaded (then the hook); restores the
    // current directory.
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Loads the module, so its DllMain sees the attach. Throws when the
    // system refuses to load it.
    HMODULE loadModule();
    // Unloads the module, so its DllMain sees the detach.
    void unloadModule();

    [[nodiscard]] HMODULE module() const { return module_; }
    [[nodiscard]] const std::filesystem::path& folder() const { return folder_; }
    // Where the module the game loads lies, in words for a person.
    [[nodiscard]] std::string moduleName() const;
    [[nodiscard]] std::filesystem::path modulePath() const;

    // The folder of the running executable, where the build puts the sample
    // settings (and on Windows the hook and the module) beside it.
    static std::filesystem::path executableFolder();

private:
    std::filesystem::path folder_;
    std::filesystem::path previousDirectory_;
#ifdef _WIN32
    // Where the simulated ScriptHookRDR2.dll and Sloshmere.asi lie.
    std::filesystem::path binaries_;
    // The simulated ScriptHookRDR2.dll; on Linux the hook is linked in.
    HMODULE hook_ = nullptr;
#endif
    HMODULE module_ = nullptr;
};

} // namespace sim
