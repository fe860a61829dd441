// The picture's page: the layout its parts share, and the two parts drawn on
// it, the top view (picture_top_view.cpp) and the timeline
// (picture_timeline.cpp).
#pragma once

#include "host.h"
#include "picture_model.h"
#include "svg.h"

#include <map>
#include <string>

namespace sim::picture {

inline constexpr double pageWidth = 1240.0;
inline constexpr double margin = 20.0;
// Where the timeline starts when there is a top view above it.
inline constexpr double topViewHeight = 740.0;
inline constexpr double laneHeight = 44.0;

// The close-up of the placement at the trough, the scan of the pass that
// offered the prompt, and the legend, to scale in world units.
void drawTopView(Svg& svg, const TopView& view, const std::map<int, std::string>& roles,
                 const Host& host);

// The scan of the pass that offered the prompt, to scale, at the right of the
// page (part of the top view; alone in a run without a placement).
void drawScan(Svg& svg, const ScanView& view, const std::map<int, std::string>& roles);

// The lanes over the frames, from `top` down, with the quiet stretches folded.
void drawTimeline(Svg& svg, const Timeline& timeline, double top);

} // namespace sim::picture
