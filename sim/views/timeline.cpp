#include "timeline.h"

#include <algorithm>
#include <cstdio>

namespace sim {

namespace {

// The label column is as wide as the widest label of this timeline, so a
// frame's header is never cut, however long the run or late the clock, and
// every call starts in the same column.
constexpr std::size_t labelGap = 2;

std::string frameLabel(const TraceEntry& entry) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "frame %llu  t=%u ms",
                  static_cast<unsigned long long>(entry.frame), entry.gameTime);
    return buffer;
}

} // namespace

std::vector<std::string> timeline(const std::vector<TraceEntry>& trace,
                                  const TimelineMarks& marks) {
    // Each entry's group label: its load, its frame or its unload.
    std::vector<std::string> labels;
    labels.reserve(trace.size());
    std::size_t width = 0;
    for (std::size_t i = 0; i < trace.size(); ++i) {
        if (i < marks.loaded) {
            labels.emplace_back("load");
        } else if (i >= marks.unloading) {
            labels.emplace_back("unload");
        } else {
            labels.push_back(frameLabel(trace[i]));
        }
        width = std::max(width, labels.back().size());
    }
    width += labelGap;
    auto padded = [width](const std::string& label) {
        std::string out = label;
        out.resize(width, ' ');
        return out;
    };

    std::vector<std::string> out;
    std::size_t nextEvent = 0;
    auto eventsUpTo = [&](std::uint64_t frame) {
        for (; nextEvent < marks.events.size() && marks.events[nextEvent].frame <= frame;
             ++nextEvent) {
            out.push_back(padded("") + "~ " + marks.events[nextEvent].text);
        }
    };

    const std::string* current = nullptr; // the label of the group being printed
    for (std::size_t i = 0; i < trace.size(); ++i) {
        const TraceEntry& entry = trace[i];
        if (i >= marks.unloading) {
            eventsUpTo(std::numeric_limits<std::uint64_t>::max());
        } else if (i >= marks.loaded) {
            eventsUpTo(entry.frame);
        }
        const bool opensGroup = current == nullptr || *current != labels[i];
        current = &labels[i];
        out.push_back(padded(opensGroup ? labels[i] : "") + describe(entry, ResultStyle::Typed));
    }
    eventsUpTo(std::numeric_limits<std::uint64_t>::max());
    return out;
}

} // namespace sim
