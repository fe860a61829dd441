// A file the caller asked the simulated game to write (a canonical trace, a
// picture), opened before the run so that a path that cannot be written
// fails at once, with the system's reason, instead of after the whole run.
#pragma once

#include <filesystem>
#include <fstream>
#include <string_view>

namespace sim {

// Makes `path` afresh for writing. Throws std::runtime_error naming `what`
// ("the picture"), the path and the system's reason when it cannot.
std::ofstream openOutputFile(const std::filesystem::path& path, std::string_view what);

} // namespace sim
