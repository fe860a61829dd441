#include "game_folder.h"

#include "sample_settings.h"

#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace sim {

namespace {

constexpr const char* settingsFile = "Sloshmere.ini";

} // namespace

std::filesystem::path freshGameFolder() {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path temporary = fs::temp_directory_path(error);
    if (error) {
        throw std::runtime_error("cannot find the temporary folder for a game folder: " +
                                 error.message());
    }
    // A random name, tried again on the rare clash: create_directory makes
    // the folder only if nothing stands there, so two runs never share one.
    std::random_device entropy;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[40];
        std::snprintf(name, sizeof name, "sloshmere-game-%08x", entropy());
        fs::path folder = temporary / name;
        if (fs::create_directory(folder, error)) {
            return folder;
        }
        if (error) {
            throw std::runtime_error("cannot make the game folder " + folder.string() + ": " +
                                     error.message());
        }
    }
    throw std::runtime_error("cannot find a free name for a game folder in " + temporary.string());
}

void giveSampleSettings(const std::filesystem::path& folder,
                        const std::filesystem::path& binaries) {
    namespace fs = std::filesystem;
    // exists() would follow a dangling link and say no; anything standing at
    // the name, even a directory, is the folder's own and stays.
    if (fs::symlink_status(folder / settingsFile).type() == fs::file_type::not_found) {
        copySampleSettingsWithLog(binaries / settingsFile, folder / settingsFile);
    }
}

} // namespace sim
