// The one prompt the module shows: "Drown" (or the configured label), a
// hold-to-confirm button prompt bound to the configured control.
#pragma once

#include "host/native.h"

namespace sloshmere {

// The id the game gave the last prompt this module registered.
extern PromptId drownPrompt;
// True while the watcher counts the prompt as live; no new prompt is made
// while it holds.
extern bool promptActive;

// Re-reads the settings, then, unless a prompt is live or the grappled
// pedestrian is gone, registers a new prompt, shows it and groups it with the
// nearest eligible pedestrian.
void createDrownPrompt();

} // namespace sloshmere
