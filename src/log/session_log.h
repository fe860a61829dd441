// Sloshmere.log, when the settings file turns it on: a header with the
// module's version, the time, the game folder, the game's and the hook's
// versions, the system and the settings, then a line for each change in the
// watcher's outcome and each thing the module does to the prompt and the
// drowning. It asks the game nothing, so the game sees the same calls with
// the log on and off.
#pragma once

#include "log/log_file.h"

#include <cstddef>

namespace sloshmere {

// A label is quoted up to this many bytes; a longer one is cut with "...".
inline constexpr std::size_t logLabelBytes = 200;

// At every start of the script: reads "Log" from the settings file. The first
// start of a load that finds it on begins the file afresh; a later start (the
// game restarting the script without unloading the module) says so in it.
void startLog() noexcept;
// Right after startLog, when a restart found a prompt of the ended run live.
void logPromptForgotten() noexcept;
// After a loop pass, while logWriting or when the pass re-read the settings:
// the log begun or ended as "Log" now says, then a line for each change the
// pass made, the label and control first.
void logPass() noexcept;
// When the module is unloaded: a last line, and the file closed.
void stopLog() noexcept;

} // namespace sloshmere
