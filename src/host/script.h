// The script the hook runs on its fiber: the per-frame loop and the three
// pedestrian handles it refreshes at the start of every pass.
#pragma once

#include "drown/handles.h"

namespace sloshmere {

// The script body handed to the hook. Seeds the runtime's generator and loops
// for as long as the host runs the script.
void scriptEntry();

// Runs loopPass forever; one pass per game frame.
[[noreturn]] void scriptLoop();

// One pass of the loop: refresh the handles, drive the interaction and yield
// exactly one frame at its end. An exception from the pass is absorbed here
// and costs one frame instead of the script.
void loopPass();

} // namespace sloshmere
