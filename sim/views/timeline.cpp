#include "timeline.h"

#include <cstdio>

namespace sim {

namespace {

constexpr int labelWidth = 18;

std::string padded(const std::string& label) {
    std::string out = label;
    out.resize(static_cast<std::size_t>(labelWidth), ' ');
    return out;
}

std::string frameLabel(const TraceEntry& entry) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "frame %llu  %u ms",
                  static_cast<unsigned long long>(entry.frame), entry.gameTime);
    return buffer;
}

} // namespace

std::vector<std::string> timeline(const std::vector<TraceEntry>& trace,
                                  const TimelineMarks& marks) {
    std::vector<std::string> out;
    std::size_t nextEvent = 0;
    auto eventsUpTo = [&](std::uint64_t frame) {
        for (; nextEvent < marks.events.size() && marks.events[nextEvent].frame <= frame;
             ++nextEvent) {
            out.push_back(padded("") + "~ " + marks.events[nextEvent].text);
        }
    };

    std::string current; // the label of the group being printed
    for (std::size_t i = 0; i < trace.size(); ++i) {
        const TraceEntry& entry = trace[i];
        std::string label;
        if (i < marks.loaded) {
            label = "load";
        } else if (i >= marks.unloading) {
            eventsUpTo(std::numeric_limits<std::uint64_t>::max());
            label = "unload";
        } else {
            eventsUpTo(entry.frame);
            label = frameLabel(entry);
        }
        const bool opensGroup = label != current;
        current = label;
        out.push_back(padded(opensGroup ? label : "") + describe(entry));
    }
    eventsUpTo(std::numeric_limits<std::uint64_t>::max());
    return out;
}

} // namespace sim
