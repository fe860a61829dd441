// What the log says: the header with the settings as read, and a line for
// each change a loop pass noted or a re-read of the settings made. It tells
// only what changed since it last told it.
#pragma once

#include "settings/reader.h"

namespace sloshmere {

// The header: the module's version, the local date and time, the game folder
// and the prompt's settings as `document` gives them, with where each came
// from. What it names becomes what the log has told.
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
