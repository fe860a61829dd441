#include "game_folder.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string_view>
#include <system_error>

namespace sim {

namespace {

constexpr const char* settingsFile = "Sloshmere.ini";
// What only a real game folder holds: the game, and the script hook (ours is
// never put in a game folder; it is loaded from beside the simulated game).
constexpr const char* gameFiles[] = {"RDR2.exe", "ScriptHookRDR2.dll"};

bool standsAt(const std::filesystem::path& path) {
    std::error_code ignored;
    // symlink_status: a dangling link still stands there.
    return std::filesystem::symlink_status(path, ignored).type() !=
           std::filesystem::file_type::not_found;
}

// "Log", "=" and "0", with spaces or none between them.
bool turnsLogOff(std::string_view line) {
    const auto skipSpaces = [&line] {
        while (line.starts_with(' ')) {
            line.remove_prefix(1);
        }
    };
    if (!line.starts_with("Log")) {
        return false;
    }
    line.remove_prefix(3);
    skipSpaces();
    if (!line.starts_with('=')) {
        return false;
    }
    line.remove_prefix(1);
    skipSpaces();
    return line == "0";
}

// The sample's first line that turns the log off made "Log = 1", its line end
// kept; a sample without one gets the key at its end, in its one section.
void turnLogOn(std::string& text) {
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string_view line(text.data() + start, end - start);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (turnsLogOff(line)) {
            text.replace(start, line.size(), "Log = 1");
            return;
        }
        start = end + 1;
    }
    text += "\nLog = 1\n";
}

} // namespace

std::optional<std::string> refusal(const std::filesystem::path& folder) {
    for (const char* file : gameFiles) {
        if (standsAt(folder / file)) {
            return folder.string() + " holds " + file +
                   ", so it is taken for a real game's folder, whose files and Sloshmere.log a run "
                   "must not touch: nothing was touched (--game takes a folder without the game "
                   "or a script hook)";
        }
    }
    return std::nullopt;
}

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
    const std::filesystem::path to = folder / settingsFile;
    if (standsAt(to)) {
        return;
    }
    const std::filesystem::path from = binaries / settingsFile;
    std::ifstream in(from, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read the sample settings " + from.string());
    }
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    turnLogOn(text);
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) {
        throw std::runtime_error("cannot write the settings " + to.string());
    }
}

} // namespace sim
