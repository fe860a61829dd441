#include "game.h"

#include "game_folder.h"
// The host's hook functions (hook_exports.h) fill the table the module's
// declarations type (hook_table.h): a difference between the two fails here.
#include "hook_exports.h"
#include "hook_table.h"
#include "host.h"

#include <fstream>
#include <stdexcept>
#include <string>

namespace sim {

namespace {

constexpr const wchar_t* hookFile = L"ScriptHookRDR2.dll";
constexpr const wchar_t* moduleFile = L"Sloshmere.asi";

// The runner's side of the nine hook calls (sim/host/hook_exports.cpp), which reach
// the current Host. Static, so it outlives every connection.
const SimHookTable hostSide = {
    scriptRegister,
    scriptUnregister,
    keyboardHandlerRegister,
    keyboardHandlerUnregister,
    scriptWait,
    nativeInit,
    nativePush64,
    nativeCall,
    worldGetAllPeds,
};

// Call straight after the failing Windows call, before anything else can
// change the thread's last error.
[[noreturn]] void fail(const char* what, const std::filesystem::path& path) {
    const DWORD error = GetLastError();
    throw std::runtime_error(std::string(what) + " " + path.string() + " (Windows error " +
                             std::to_string(error) + ")");
}

SimHookConnect connectionPoint(HMODULE hook) {
    // GetProcAddress hands back a generic function pointer; the hook's
    // connection point has the one signature hook_table.h gives it.
    return reinterpret_cast<SimHookConnect>(
        reinterpret_cast<void*>(GetProcAddress(hook, "simHookConnect")));
}

} // namespace

std::filesystem::path Game::executableFolder() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) {
            fail("cannot name", "the running executable");
        }
        if (length < name.size()) {
            name.resize(length);
            return std::filesystem::path(name).parent_path();
        }
        name.resize(name.size() * 2);
    }
}

Game::Game(const std::filesystem::path& folder, const std::filesystem::path& binaries)
    : folder_(std::filesystem::absolute(folder)), binaries_(std::filesystem::absolute(binaries)) {
    namespace fs = std::filesystem;
    fs::create_directories(folder_);
    // A game folder without settings gets the sample players download, so
    // the run shows the module as it behaves out of the box, with its
    // log on.
    giveSampleSettings(folder_, binaries_);

    // The hook and the module load from beside the simulated game, never
    // from the game folder: a folder the caller names may hold files of
    // theirs by those names, and a run must not replace them. The module
    // finds the hook already loaded by its name, as it would in the game.
    const fs::path hookPath = binaries_ / hookFile;
    hook_ = LoadLibraryW(hookPath.c_str());
    if (hook_ == nullptr) {
        fail("cannot load", hookPath);
    }
    const SimHookConnect connect = connectionPoint(hook_);
    if (connect == nullptr) {
        FreeLibrary(hook_);
        throw std::runtime_error("no simHookConnect in " + hookPath.string());
    }
    connect(&hostSide);

    // The module reads its settings relative to the current directory, which
    // in the game is the game's own folder.
    previousDirectory_ = fs::current_path();
    fs::current_path(folder_);
}

Game::~Game() {
    unloadModule();
    if (hook_ != nullptr) {
        if (const SimHookConnect connect = connectionPoint(hook_); connect != nullptr) {
            connect(nullptr);
        }
        FreeLibrary(hook_);
    }
    std::error_code ignored;
    std::filesystem::current_path(previousDirectory_, ignored);
}

std::filesystem::path Game::modulePath() const {
    return binaries_ / moduleFile;
}

std::string Game::moduleName() const {
    return modulePath().string();
}

HMODULE Game::loadModule() {
    if (module_ == nullptr) {
        module_ = LoadLibraryW(modulePath().c_str());
        if (module_ == nullptr) {
            fail("cannot load", modulePath());
        }
    }
    return module_;
}

void Game::unloadModule() {
    if (module_ != nullptr) {
        // As the hook unloads: every script's fiber is deleted first, without
        // unwinding, and only then is the library freed (its detach runs
        // inside FreeLibrary).
        if (Host* host = Host::current()) {
            host->endScripts();
        }
        FreeLibrary(module_);
        module_ = nullptr;
    }
}

} // namespace sim
