// The natives the simulated host knows, grouped by what they serve. Each
// group installs its handlers over the world; the host installs them all.
#pragma once

namespace sim {

class Host;

// Names, the player, grapple partner and state, existence and position.
void installCoreNatives(Host& host);

// Prompts, var strings, grapple flag and animation dictionaries.
void installPromptNatives(Host& host);

} // namespace sim
