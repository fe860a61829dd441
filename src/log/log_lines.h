// What the log says: the header with the settings as read, and a line for
// each change a loop pass noted or a re-read of the settings made. It tells
// only what changed since it last told it.
#pragma once

#include "settings/reader.h"

#include <cstddef>

namespace sloshmere {

// A label is quoted up to this many bytes; a longer one is cut with "...".
inline constexpr std::size_t logLabelBytes = 200;

// The header: the module's version, the local date and time, the game folder,
// the game's and the hook's versions and the system, what a pass is, the
// prompt's settings the module holds and since when, and what `document`, the
// settings file as read now, gives. What the module holds becomes what the
// log has told.
void writeLogHeader(const SettingsDocument& document);

// Forgets what the log has told of the watcher, the prompt and the drowning,
// as a file begins, so the next pass tells its state afresh.
void forgetTold() noexcept;

// The lines for this pass's notes: the watcher's outcome when it changed,
// what happened to the prompt and the hold, and each drowning phase begun.
void tellPass();

// The label and the control as a re-read left them, when they differ from
// what the log last told.
void tellSettingsChange();

} // namespace sloshmere
