// Where the simulated game plays. A folder the caller names is theirs: the run
// adds only the sample settings it lacks, and the runner puts Sloshmere.ini
// back as it found it (settings_snapshot.h); the module's log, and the files
// the caller asked for, are the run's outputs and stay. A run that names none
// plays in a fresh folder of its own, removed when the run ends.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace sim {

// Why the simulated game will not play in `folder`, in words, or nothing. A
// folder holding the game or a script hook is a real game's: the module there
// would replace the player's Sloshmere.log, and a hook that is not ours must
// not be touched, so the run is refused before anything is.
std::optional<std::string> refusal(const std::filesystem::path& folder);

// Makes a new, empty game folder under the system's temporary folder, with a
// name no earlier or concurrent run has. Throws std::runtime_error, with the
// system's reason, when none can be made.
std::filesystem::path freshGameFolder();

// Gives `folder` the sample Sloshmere.ini that players download, found in
// `binaries`, with its "Log = 0" line made "Log = 1", so the run shows what the
// module would write in a player's game; unless something already stands at
// that name, which is the folder's own and stays. The one place a game folder
// is given settings. Throws std::runtime_error when the copy fails.
void giveSampleSettings(const std::filesystem::path& folder, const std::filesystem::path& binaries);

} // namespace sim
