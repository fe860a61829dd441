// The simulated game process on Windows: a game folder holding the hook and
// the module, the simulated ScriptHookRDR2.dll loaded and connected to the
// current Host, and the module loaded and unloaded as the hook's loader does.
#pragma once

#include "host/platform.h"

#include <filesystem>

namespace sim {

class Game {
public:
    // Copies ScriptHookRDR2.dll and Sloshmere.asi from `binaries` into
    // `folder`, and the sample Sloshmere.ini unless the folder has one, makes
    // the folder the current directory and loads the hook. Throws
    // std::runtime_error when any step fails.
    Game(const std::filesystem::path& folder, const std::filesystem::path& binaries);
    // Unloads the module if it is loaded, then the hook; restores the
    // current directory.
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // LoadLibrary on the module, so its DllMain sees the attach. Throws when
    // Windows refuses to load it.
    HMODULE loadModule();
    // FreeLibrary on the module, so its DllMain sees the detach.
    void unloadModule();

    [[nodiscard]] HMODULE module() const { return module_; }
    [[nodiscard]] const std::filesystem::path& folder() const { return folder_; }
    [[nodiscard]] std::filesystem::path modulePath() const;

    // The folder of the running executable, where the build puts the hook
    // and the module beside it.
    static std::filesystem::path executableFolder();

private:
    std::filesystem::path folder_;
    std::filesystem::path previousDirectory_;
    HMODULE hook_ = nullptr;
    HMODULE module_ = nullptr;
};

} // namespace sim
