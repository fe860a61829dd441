// The settings a game folder without its own gets: the sample players
// download, with the log turned on, so every run of the simulated game shows
// what the module would write in a player's game.
#pragma once

#include <filesystem>

namespace sim {

// Writes the sample `from` to `to` with its "Log = 0" line made "Log = 1".
// Throws std::runtime_error when either file fails.
void copySampleSettingsWithLog(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace sim
