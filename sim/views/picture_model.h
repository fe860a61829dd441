// What the picture draws, read from a run's trace: the top view of the first
// placement, and the timeline's lanes of spans and marks over the frames.
// picture_reader.cpp reads it; picture_top_view.cpp and picture_timeline.cpp
// draw it.
#pragma once

#include "host.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sim::picture {

struct Trough {
    int handle = 0;
    std::uint32_t model = 0;
    std::optional<Vec3> at;
    bool atFromTrace = false;
    std::optional<Vec3> forward;
    bool forwardFromTrace = false;
};

struct Placed {
    int handle = 0;
    Vec3 at{};
    std::optional<float> heading;
};

struct Scanned {
    int handle = 0;
    Vec3 at{};
    float separation = 0.0F;
};

struct Search {
    Vec3 centre{};
    float radius = 0.0F;
};

// The scan of the pass that offered the prompt first: whom it measured, and
// whose prompt group the prompt joined.
struct ScanView {
    std::uint64_t offerFrame = 0;
    std::optional<Vec3> scanCentre;
    std::vector<Scanned> scanned;
    int groupTarget = 0;
    int group = -1;
};

// What the top view draws: the first placement and what the module read just
// before it, and the scan of the pass that offered the prompt.
struct TopView {
    std::uint64_t frame = 0;
    int player = 0;
    std::optional<Vec3> playerBefore;
    std::optional<Search> search;
    std::optional<Vec3> standing; // where the ground probe looked
    std::vector<Placed> placed;
    std::vector<Trough> troughs;
    // The trough whose position the module read last: the one it placed at.
    int usedTrough = 0;

    ScanView scan;
};

// Frames are half open: a span covers [from, to).
struct Span {
    std::uint64_t from = 0;
    std::uint64_t to = 0;
    std::string kind; // the CSS class
    std::string label;
};

struct Mark {
    std::uint64_t frame = 0;
    std::string kind;
    std::string label;
    double radius = 4.0;
};

struct Lane {
    std::string name;
    std::vector<Span> spans;
    std::vector<Mark> marks;
};

enum LaneId : std::uint8_t {
    PromptLane,
    PatronLane,
    ArthurLane,
    MoveLane,
    PhaseLane,
    SplashLane,
    VoiceLane,
    PauseLane,
    KnockoutLane,
    ThrowLane,
    LaneCount,
};

struct Timeline {
    std::vector<Lane> lanes;
    std::uint64_t first = 0;
    std::uint64_t end = 1; // one past the last frame
    std::map<std::uint64_t, std::uint32_t> gameTimes;
};

struct Drawing {
    std::optional<TopView> topView; // only when the trace holds a placement
    // Without a placement, the scan alone, when the prompt was offered.
    std::optional<ScanView> scan;
    Timeline timeline;
};

// Reads the trace once, in order, the way the narrator does, into what the
// picture draws. `roles` names entities as for tellStory.
Drawing readTrace(const Host& host, const std::map<int, std::string>& roles);

} // namespace sim::picture
