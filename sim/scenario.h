// Scenarios: worlds set up with frame hooks that play the game's side of a
// story, shared by the end-to-end tests and the demo.
#pragma once

#include "host.h"

#include <map>
#include <string>

namespace sim {

// A typical drowning: the player grapples a pedestrian beside a water trough,
// holds the prompt when it is offered, and the game then walks the pair
// through the choke intro, the choke, the outro and the knockout. Returns the
// roles of the entities, for the story.
std::map<int, std::string> stageTypicalDrowning(Host& host);

// How many frames the typical drowning needs from the first frame to the
// knockout finish, with room to spare.
inline constexpr int typicalDrowningFrames = 600;

} // namespace sim
