#include "picture.h"

#include "picture_draw.h"

#include <optional>
#include <string>
#include <utility>

namespace sim {

namespace {

const char* const style = R"(.page { fill: #fff; }
text { font-family: 'DejaVu Sans', Arial, sans-serif; font-size: 11px; fill: #222; }
.title { font-size: 16px; font-weight: bold; }
.heading { font-size: 13px; font-weight: bold; }
.note { font-size: 10px; fill: #555; }
.mono { font-family: 'DejaVu Sans Mono', monospace; font-size: 10px; }
.tick { font-size: 9px; fill: #666; }
.label { font-size: 10px; fill: #333; }
.frame { fill: none; stroke: #bbb; }
.grid { stroke: #ececec; }
.axis { stroke: #666; stroke-width: 1.5; fill: #666; }
.search { fill: #eef5fc; stroke: #4a7fc1; stroke-dasharray: 6 3; }
.bound { fill: #f7f3fc; stroke: #8a6bb8; stroke-dasharray: 6 4; }
.trough { fill: #8b5a2b; stroke: #4d3116; }
.forward { stroke: #8b5a2b; fill: #8b5a2b; stroke-width: 2; }
.approach { stroke: #999; stroke-dasharray: 2 3; }
.moved { stroke: #2b6cb0; stroke-dasharray: 1 3; stroke-width: 1.5; }
.before { fill: #fff; stroke: #2b6cb0; stroke-width: 2; }
.standing { stroke: #222; stroke-width: 2; }
.role-player { fill: #2b6cb0; stroke: #2b6cb0; stroke-width: 2.5; }
.role-victim { fill: #c53030; stroke: #c53030; stroke-width: 2.5; }
.role-other { fill: #777; stroke: #777; stroke-width: 2.5; }
.scanned { fill: #555; }
.group { fill: none; stroke: #d69e2e; stroke-width: 2.5; }
.lane { fill: #f6f7f9; }
.fold { fill: #e2e6ec; }
.foldline { stroke: #a0a8b4; }
.pause-band { fill: #e9edf3; }
.prompt-offered { fill: #38a169; }
.prompt-held { fill: #d69e2e; }
.prompt-hidden { fill: #a0aec0; }
.dict-requested { fill: #bee3f8; }
.dict-loaded { fill: #3182ce; }
.move { fill: #805ad5; }
.phase { fill: #b794f4; }
.pause { fill: #718096; }
.offer { fill: #38a169; }
.hold { fill: #276749; }
.deleted { stroke: #c53030; stroke-width: 2.5; }
.restart { fill: #1a202c; }
.gone { fill: none; stroke: #dd6b20; stroke-width: 2; }
.released { fill: #2c5282; }
.move-start { fill: #553c9a; }
.splash { fill: #63b3ed; fill-opacity: 0.55; stroke: #2b6cb0; }
.voice0 { fill: #2c5282; }
.voice1 { fill: #dd6b20; }
.voice2 { fill: #718096; }
.knockout { fill: #c53030; }
.throw { fill: #d69e2e; }
)";

} // namespace

std::string drawPicture(const Host& host, const std::map<int, std::string>& roles) {
    using namespace picture;
    const Drawing drawing = readTrace(host, roles);
    const std::optional<TopView>& view = drawing.topView;
    const Timeline& timeline = drawing.timeline;

    const double timelineTop = view || drawing.scan ? topViewHeight : 84.0;
    const double height = timelineTop + 40.0 + laneHeight * static_cast<double>(LaneCount) + 70.0;

    Svg svg;
    svg.raw(R"(<?xml version="1.0" encoding="UTF-8"?>)");
    svg.raw("<svg" + attr("xmlns", "http://www.w3.org/2000/svg") + attr("width", px(pageWidth)) +
            attr("height", px(height)) +
            attr("viewBox", "0 0 " + px(pageWidth) + " " + px(height)) + ">");
    svg.raw("<style>");
    svg.raw(style);
    svg.raw("</style>");
    svg.rect(0.0, 0.0, pageWidth, height, "page");
    svg.text(margin, 28.0, "What the module asked the game to do", "title");
    if (view) {
        drawTopView(svg, *view, roles, host);
    } else {
        svg.text(margin, 46.0, "No placement in this run, so no close-up at the trough.", "note");
        if (drawing.scan) {
            drawScan(svg, *drawing.scan, roles);
        }
    }
    drawTimeline(svg, timeline, timelineTop);
    svg.raw("</svg>");
    return std::move(svg.out);
}

} // namespace sim
