// The trace drawn: where the module put the pair at the trough and how the
// prompt, dictionaries, effects and waits line up over the frames, as one SVG
// document a maintainer can open in a browser. The visual sibling of the story.
#pragma once

#include "host.h"

#include <map>
#include <string>

namespace sim {

// A whole SVG document for the run the host has recorded: a top view of the
// placement (only when the trace holds one) above a timeline of the run.
// `roles` names entities as for tellStory ("player", "victim").
std::string drawPicture(const Host& host, const std::map<int, std::string>& roles);

} // namespace sim
