// The trace as a frame-by-frame timeline for people: what the module asked
// of the game while it loaded, in each frame, and while it unloaded.
#pragma once

#include "trace.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace sim {

// Something the scenario changed in the world, shown before the frame that
// first sees it.
struct TimelineEvent {
    std::uint64_t frame = 0;
    std::string text;
};

struct TimelineMarks {
    // Trace size when the module's load returned: earlier entries are its load.
    std::size_t loaded = 0;
    // Trace size when its unload began: later entries are its unload.
    std::size_t unloading = std::numeric_limits<std::size_t>::max();
    std::vector<TimelineEvent> events;
};

// One line per trace entry, each frame headed by its number and game time.
std::vector<std::string> timeline(const std::vector<TraceEntry>& trace, const TimelineMarks& marks);

} // namespace sim
