// The natives the simulated host knows, grouped by what they serve. Each
// group installs its handlers over the world; the host installs them all.
#pragma once

namespace sim {

class Host;

// Names, the player, grapple partner and state, existence and position.
void installCoreNatives(Host& host);

// Prompts, var strings, grapple flag and animation dictionaries.
void installPromptNatives(Host& host);
// The game clock, grapple actions, the control query, particles, speech, and
// the knockout and throw calls on the grappling pair.
void installEffectsNatives(Host& host);
// Object search, forward vector, ground probe, placement and the paired action.
void installTroughNatives(Host& host);

// The pedestrian tests of the nearby scan and the separation of two points.
void installScanNatives(Host& host);

} // namespace sim
