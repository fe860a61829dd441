// Sloshmere.log, when the settings file turns it on: a header with the
// module's version, the time, the game folder, the game's and the hook's
// versions and the system, and the settings held and as read now, then
// a line each time the watcher's outcome changes and for each thing the
// module does to the prompt and the drowning. It writes only what the module
// already knows and asks the game nothing, so the game sees the same calls
// with the log on and off.
#pragma once

#include "log/log_file.h"

namespace sloshmere {

// At every start of the script: reads "Log" from the settings file. The first
// start of a load that finds it on begins the file afresh; a later start (the
// game restarting the script without unloading the module) says so in it.
void startLog() noexcept;

// Right after startLog, at a restart of the script that found a prompt of the
// ended run live: one line saying it is forgotten.
void logPromptForgotten() noexcept;

// After a loop pass, while logWriting or when the pass re-read the settings:
// the log begun or ended as "Log" now says, then a line for each change the
// pass made, the label and control first.
void logPass() noexcept;

// When the module is unloaded: a last line, and the file closed. The next
// load begins a fresh file.
void stopLog() noexcept;

} // namespace sloshmere
