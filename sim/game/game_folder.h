// Where the simulated game plays: a folder the caller names is used as it is;
// a run that names none gets a fresh folder of its own, so no run leans on
// what an earlier one left behind.
#pragma once

#include <filesystem>

namespace sim {

// Makes a new, empty game folder under the system's temporary folder, with a
// name no earlier or concurrent run has. Throws std::runtime_error, with the
// system's reason, when none can be made.
std::filesystem::path freshGameFolder();

// Gives `folder` the sample Sloshmere.ini that players download, found in
// `binaries`, with the module's log turned on, unless something already
// stands at that name: a folder with settings of its own keeps them. Throws
// when the copy fails.
void giveSampleSettings(const std::filesystem::path& folder, const std::filesystem::path& binaries);

} // namespace sim
