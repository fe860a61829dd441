// The trace told as a story: what the module asked the game for, in words a
// modder can follow without knowing a single hash.
#pragma once

#include "host.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sim {

struct StoryLine {
    std::uint64_t frame = 0;
    std::uint32_t gameTime = 0;
    std::string text;
};

// How the story begins a sentence about a finding: a call the game would not
// close over but that acts where the script has no business, such as on a
// prompt the script did not make.
inline constexpr char findingMark[] = "FINDING:";

// The milestones of the trace, in order: prompts offered, hidden and deleted,
// dictionaries loaded and released, the hold, the placement, the drowning
// move, splashes, voice lines, the knockout finish and the throw. `names`
// gives entities their roles ("player", "victim"); others are "pedestrian N".
std::vector<StoryLine> tellStory(const Host& host, const std::map<int, std::string>& names);

// The story as printable lines, "frame    12  t=   396 ms  ...". A run of the
// same sentence on consecutive passes is printed once with its count.
std::vector<std::string> formatStory(const std::vector<StoryLine>& story);

// The name of a game control the simulated host knows, or its hash in hex.
std::string controlName(std::uint32_t hash);

} // namespace sim
