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

// Forgets the prompt without a word to the game, as at load: no prompt live,
// no id held. For a new start of the script, when the game has dropped the
// prompts of the ended run and an old id may name another script's prompt.
void forgetPrompt();

// Re-reads the settings, then, unless a prompt is live or the grappled
// pedestrian is gone, registers a new prompt, shows it and groups it with the
// nearest eligible pedestrian.
void createDrownPrompt();

} // namespace sloshmere
