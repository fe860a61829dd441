#include "picture_draw.h"

#include "trace_words.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace sim::picture {

namespace {

// Frames without a milestone for longer than this fold into a narrow break,
// as the story prints a run of repeated passes once (the same gap).
constexpr std::uint64_t quietGap = 40;
// Frames kept at full width on each side of a milestone.
constexpr std::uint64_t framePad = 3;

constexpr double laneLabelWidth = 150.0;
constexpr double foldWidth = 44.0;
constexpr double maxFrameWidth = 14.0;

// A rough width of a text at the label size, for keeping labels apart.
double textWidth(const std::string& text) {
    return 6.0 * static_cast<double>(text.size());
}

// Frames onto the page, with the quiet stretches folded into narrow breaks.
class FrameAxis {
public:
    struct Piece {
        std::uint64_t from;
        std::uint64_t to;
        double x0;
        double x1;
        bool folded;
    };

    FrameAxis(const Timeline& timeline, double left, double right) {
        std::set<std::uint64_t> busy;
        for (const Lane& lane : timeline.lanes) {
            for (const Span& span : lane.spans) {
                busy.insert(span.from);
                busy.insert(span.to > span.from ? span.to - 1 : span.from);
            }
            for (const Mark& mark : lane.marks) {
                busy.insert(mark.frame);
            }
        }
        // Frames kept at full width, merged when close together.
        std::vector<std::pair<std::uint64_t, std::uint64_t>> kept;
        for (const std::uint64_t frame : busy) {
            const std::uint64_t from =
                frame > timeline.first + framePad ? frame - framePad : timeline.first;
            const std::uint64_t to = std::min(timeline.end, frame + framePad + 1);
            if (!kept.empty() && from <= kept.back().second + quietGap) {
                kept.back().second = std::max(kept.back().second, to);
            } else {
                kept.emplace_back(from, to);
            }
        }
        if (kept.empty()) {
            kept.emplace_back(timeline.first, std::min(timeline.end, timeline.first + quietGap));
        }
        std::uint64_t keptFrames = 0;
        std::size_t folds = 0;
        std::uint64_t at = timeline.first;
        for (const auto& [from, to] : kept) {
            folds += from > at ? 1U : 0U;
            keptFrames += to - from;
            at = to;
        }
        folds += at < timeline.end ? 1U : 0U;
        const double room = right - left - foldWidth * static_cast<double>(folds);
        frameWidth_ = std::min(maxFrameWidth, room / static_cast<double>(keptFrames));

        double x = left;
        at = timeline.first;
        for (const auto& [from, to] : kept) {
            if (from > at) {
                pieces.push_back({at, from, x, x + foldWidth, true});
                x += foldWidth;
            }
            const double width = frameWidth_ * static_cast<double>(to - from);
            pieces.push_back({from, to, x, x + width, false});
            x += width;
            at = to;
        }
        if (at < timeline.end) {
            pieces.push_back({at, timeline.end, x, x + foldWidth, true});
        }
    }

    // The left edge of a frame.
    [[nodiscard]] double x(std::uint64_t frame) const {
        for (const Piece& piece : pieces) {
            if (frame >= piece.from && frame < piece.to) {
                return piece.x0 + (piece.x1 - piece.x0) * static_cast<double>(frame - piece.from) /
                                      static_cast<double>(piece.to - piece.from);
            }
        }
        return pieces.back().x1;
    }
    // The middle of a frame, where its marks go.
    [[nodiscard]] double middle(std::uint64_t frame) const {
        return (x(frame) + x(frame + 1)) / 2.0;
    }

    std::vector<Piece> pieces;

private:
    double frameWidth_ = 1.0;
};

// The marks of one lane that share a frame and a kind are drawn once, with
// their labels joined ("1, 2, 3, 4").
std::vector<Mark> mergedMarks(const std::vector<Mark>& marks) {
    std::vector<Mark> merged;
    for (const Mark& mark : marks) {
        Mark* same = nullptr;
        for (Mark& existing : merged) {
            if (existing.frame == mark.frame && existing.kind == mark.kind) {
                same = &existing;
            }
        }
        if (same == nullptr) {
            merged.push_back(mark);
        } else if (same->label.find(mark.label) == std::string::npos) {
            same->label += ", " + mark.label;
            same->radius = std::max(same->radius, mark.radius);
        }
    }
    return merged;
}

void drawMark(Svg& svg, double x, double y, const Mark& mark) {
    const std::string title =
        formatText("frame %llu: ", static_cast<unsigned long long>(mark.frame)) + mark.label;
    if (mark.kind == "deleted") {
        svg.line(x - 5.0, y - 5.0, x + 5.0, y + 5.0, "deleted");
        svg.line(x - 5.0, y + 5.0, x + 5.0, y - 5.0, "deleted");
    } else if (mark.kind == "offer" || mark.kind == "move-start") {
        svg.polygon({{x - 5.0, y - 6.0}, {x + 6.0, y}, {x - 5.0, y + 6.0}}, mark.kind, title);
    } else if (mark.kind == "restart") {
        svg.polygon(
            {{x - 4.0, y - 8.0}, {x + 4.0, y - 8.0}, {x + 4.0, y + 8.0}, {x - 4.0, y + 8.0}},
            mark.kind, title);
    } else if (mark.kind == "hold" || mark.kind == "voice1") {
        svg.polygon({{x, y - 6.0}, {x + 6.0, y}, {x, y + 6.0}, {x - 6.0, y}}, mark.kind, title);
    } else {
        svg.circle(x, y, mark.radius, mark.kind, title);
    }
}

} // namespace

void drawTimeline(Svg& svg, const Timeline& timeline, double top) {
    const double left = margin + laneLabelWidth;
    const double right = pageWidth - margin;
    const FrameAxis axis(timeline, left, right - 10.0);
    const double lanesTop = top + 40.0;
    const double lanesBottom = lanesTop + laneHeight * static_cast<double>(timeline.lanes.size());

    svg.raw("<g id=\"timeline\">");
    const auto timeAt = [&timeline](std::uint64_t frame) {
        const auto found = timeline.gameTimes.find(frame);
        return found == timeline.gameTimes.end() ? std::string() : std::to_string(found->second);
    };
    svg.text(margin, top,
             formatText("Timeline: frames %llu to %llu, game time %s to %s ms; quiet stretches "
                        "folded",
                        static_cast<unsigned long long>(timeline.first),
                        static_cast<unsigned long long>(timeline.end - 1),
                        timeAt(timeline.first).c_str(), timeAt(timeline.end - 1).c_str()),
             "heading");
    svg.text(margin, top + 16.0,
             "Shaded columns: the module pauses on the game clock, and the whole loop waits.",
             "note");

    for (std::size_t i = 0; i < timeline.lanes.size(); ++i) {
        const double y = lanesTop + laneHeight * static_cast<double>(i);
        svg.rect(left, y + 1.0, right - left, laneHeight - 2.0, "lane");
        svg.text(margin, y + 28.0, timeline.lanes[i].name, "label");
    }
    for (const Span& pause : timeline.lanes[PauseLane].spans) {
        svg.rect(axis.x(pause.from), lanesTop, axis.x(pause.to) - axis.x(pause.from),
                 lanesBottom - lanesTop, "pause-band");
    }
    for (const FrameAxis::Piece& piece : axis.pieces) {
        if (!piece.folded) {
            continue;
        }
        svg.rect(piece.x0 + 6.0, lanesTop, piece.x1 - piece.x0 - 12.0, lanesBottom - lanesTop,
                 "fold");
        svg.line(piece.x0 + 2.0, lanesBottom + 4.0, piece.x0 + 10.0, lanesTop - 4.0, "foldline");
        svg.line(piece.x1 - 10.0, lanesBottom + 4.0, piece.x1 - 2.0, lanesTop - 4.0, "foldline");
        const double mid = (piece.x0 + piece.x1) / 2.0;
        svg.text(mid, lanesBottom + 46.0, std::to_string(piece.to - piece.from), "tick", "middle");
        svg.text(mid, lanesBottom + 56.0, "folded", "tick", "middle");
    }

    for (std::size_t i = 0; i < timeline.lanes.size(); ++i) {
        const Lane& lane = timeline.lanes[i];
        const double y = lanesTop + laneHeight * static_cast<double>(i);
        const double shapeY = y + 24.0;
        // Labels go in a row above the shapes, or below them when the row
        // above is taken there; one that fits in neither is left out (every
        // shape keeps its full text as a tooltip), and so is a label that
        // repeats the one just before it in the same run.
        std::array<double, 2> labelEnd = {-1.0, -1.0};
        const std::array<double, 2> labelY = {y + 12.0, y + 38.0};
        std::string lastLabel;
        std::uint64_t lastLabelFrame = 0;
        const auto label = [&](double x, const std::string& text, std::uint64_t frame) {
            const bool repeat = text == lastLabel && frame <= lastLabelFrame + quietGap;
            for (std::size_t row = 0; row < labelEnd.size() && !repeat; ++row) {
                if (x >= labelEnd[row] + 6.0) {
                    svg.text(x, labelY[row], text, "label");
                    labelEnd[row] = x + textWidth(text);
                    lastLabel = text;
                    break;
                }
            }
            if (text == lastLabel) {
                lastLabelFrame = frame;
            }
        };
        struct Item {
            double x;
            std::string text;
            std::uint64_t frame;
        };
        std::vector<Item> labels;
        // Marks of different kinds on one frame stand side by side and share
        // one label ("hold completed, deleted").
        std::uint64_t lastFrame = 0;
        double shift = 0.0;
        for (const Mark& mark : mergedMarks(lane.marks)) {
            const bool sameFrame = !labels.empty() && mark.frame == lastFrame;
            shift = sameFrame ? shift + 12.0 : 0.0;
            const double x = axis.middle(mark.frame) + shift;
            drawMark(svg, x, shapeY, mark);
            if (sameFrame) {
                labels.back().text += ", " + mark.label;
            } else {
                labels.push_back({axis.x(mark.frame) - 1.0, mark.label, mark.frame});
            }
            lastFrame = mark.frame;
        }
        for (const Span& span : lane.spans) {
            const double x0 = axis.x(span.from);
            const double width = std::max(2.0, axis.x(span.to) - x0);
            svg.rect(x0, shapeY - 5.0, width, 10.0, span.kind,
                     formatText("frames %llu to %llu: ", static_cast<unsigned long long>(span.from),
                                static_cast<unsigned long long>(span.to - 1)) +
                         span.label);
            labels.push_back({x0, span.label, span.from});
        }
        // Marks before spans where both start on one frame: a mark says more.
        std::stable_sort(labels.begin(), labels.end(),
                         [](const Item& a, const Item& b) { return a.x < b.x; });
        for (const Item& item : labels) {
            label(std::min(item.x, right - textWidth(item.text)), item.text, item.frame);
        }
        if (lane.spans.empty() && lane.marks.empty()) {
            // Past a fold at the start, so the words stand on a clear lane.
            const double from = axis.pieces.front().folded ? axis.pieces.front().x1 : left;
            svg.text(from + 8.0, shapeY + 4.0, "none in this run", "note");
        }
    }

    // The frame axis: frame numbers, and the game time of each below.
    svg.line(left, lanesBottom + 4.0, right, lanesBottom + 4.0, "axis");
    svg.text(margin, lanesBottom + 18.0, "frame", "tick");
    svg.text(margin, lanesBottom + 30.0, "game time (ms)", "tick");
    double lastTick = -100.0;
    for (const FrameAxis::Piece& piece : axis.pieces) {
        if (piece.folded) {
            continue;
        }
        for (std::uint64_t frame = piece.from; frame < piece.to; ++frame) {
            const double x = axis.middle(frame);
            if ((frame != piece.from && frame % 10 != 0) || x < lastTick + 52.0) {
                continue;
            }
            svg.line(x, lanesBottom + 4.0, x, lanesBottom + 8.0, "axis");
            svg.text(x, lanesBottom + 18.0, std::to_string(frame), "tick", "middle");
            svg.text(x, lanesBottom + 30.0, timeAt(frame), "tick", "middle");
            lastTick = x;
        }
    }
    svg.raw("</g>");
}

} // namespace sim::picture
