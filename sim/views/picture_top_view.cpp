#include "picture_draw.h"

#include "trace_words.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace sim::picture {

namespace {

// The module's scan bound: the trace shows the separations it compared, not
// the bound itself, so the picture states it. The game's separation is the
// squared distance, so the bound the module compares with is the square of
// the radius the scan reaches on the ground.
constexpr double scanBound = 16.0;
constexpr double scanRadius = 4.0;
static_assert(scanRadius * scanRadius == scanBound);

constexpr double closeLeft = 80.0;
constexpr double closeTop = 84.0;
constexpr double closeSize = 560.0;
constexpr double scanLeft = 780.0;
constexpr double scanTop = 84.0;
constexpr double scanSize = 380.0;
// Past this many measured pedestrians, the scan is a crowd (see drawScan).
constexpr std::size_t crowdedScan = 24;
constexpr std::size_t listedRows = 16;
// How far around the player a crowd is drawn, in bound radii.
constexpr float neighbourhood = 3.0F;
constexpr double pi = 3.14159265358979323846;

// World units onto a square of the page, to scale. The world's y axis points
// up and the page's down, so y is flipped here and nowhere else.
struct Plane {
    double left = 0.0;
    double top = 0.0;
    double size = 1.0;
    double minX = 0.0;
    double maxY = 0.0;
    double span = 1.0;

    [[nodiscard]] double x(double world) const { return left + (world - minX) / span * size; }
    [[nodiscard]] double y(double world) const { return top + (maxY - world) / span * size; }
    [[nodiscard]] double perUnit() const { return size / span; }
};

Plane fit(double left, double top, double size, const std::vector<Vec3>& points, double pad) {
    double minX = points.front().x;
    double maxX = minX;
    double minY = points.front().y;
    double maxY = minY;
    for (const Vec3& p : points) {
        minX = std::min(minX, static_cast<double>(p.x));
        maxX = std::max(maxX, static_cast<double>(p.x));
        minY = std::min(minY, static_cast<double>(p.y));
        maxY = std::max(maxY, static_cast<double>(p.y));
    }
    const double span = std::max({maxX - minX, maxY - minY, 0.5}) + 2.0 * pad;
    const double cx = (minX + maxX) / 2.0;
    const double cy = (minY + maxY) / 2.0;
    return {left, top, size, cx - span / 2.0, cy + span / 2.0, span};
}

// The grid in world units, numbered along the bottom (x) and the left (y),
// with the axes' directions marked so a flipped sign shows.
void drawGrid(Svg& svg, const Plane& plane) {
    double step = 0.1;
    for (const double candidate : {0.1, 0.2, 0.25, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 50.0}) {
        step = candidate;
        if (plane.span / candidate <= 10.0) {
            break;
        }
    }
    const double right = plane.left + plane.size;
    const double bottom = plane.top + plane.size;
    for (double v = std::ceil(plane.minX / step) * step; v <= plane.minX + plane.span; v += step) {
        svg.line(plane.x(v), plane.top, plane.x(v), bottom, "grid");
        svg.text(plane.x(v), bottom + 14.0, formatText("%g", v), "tick", "middle");
    }
    const double minY = plane.maxY - plane.span;
    for (double v = std::ceil(minY / step) * step; v <= plane.maxY; v += step) {
        svg.line(plane.left, plane.y(v), right, plane.y(v), "grid");
        svg.text(plane.left - 5.0, plane.y(v) + 3.0, formatText("%g", v), "tick", "end");
    }
    svg.rect(plane.left, plane.top, plane.size, plane.size, "frame");
    svg.arrow(right - 60.0, bottom + 30.0, right, bottom + 30.0, "axis", 7.0);
    svg.text(right - 66.0, bottom + 34.0, "x", "label", "end");
    svg.arrow(plane.left - 44.0, plane.top + 60.0, plane.left - 44.0, plane.top, "axis", 7.0);
    svg.text(plane.left - 44.0, plane.top + 74.0, "y", "label", "middle");
}

// A unit direction on the page for a direction in the world (y flipped).
std::pair<double, double> pageDirection(double wx, double wy) {
    const double length = std::hypot(wx, wy);
    if (!(length > 0.0)) {
        return {0.0, 0.0};
    }
    return {wx / length, -wy / length};
}

void labelAt(Svg& svg, double x, double y, std::pair<double, double> away, double gap,
             const std::vector<std::string>& lines) {
    const double lx = x + away.first * gap;
    const double ly = y + away.second * gap + 4.0;
    const char* anchor = away.first > 0.3 ? "start" : away.first < -0.3 ? "end" : "middle";
    const double first =
        away.second < -0.3 ? ly - 12.0 * static_cast<double>(lines.size() - 1) : ly;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        svg.text(lx, first + 12.0 * static_cast<double>(i), lines[i], "label", anchor);
    }
}

std::string roleClass(const std::string& role) {
    return role == "player" ? "role-player" : role == "victim" ? "role-victim" : "role-other";
}

void drawCloseUp(Svg& svg, const TopView& view, const std::map<int, std::string>& roles,
                 const Host& host) {
    std::vector<Vec3> points;
    if (view.search) {
        const Vec3 c = view.search->centre;
        const float r = view.search->radius;
        points.push_back({c.x - r, c.y - r, c.z});
        points.push_back({c.x + r, c.y + r, c.z});
    }
    if (view.playerBefore) {
        points.push_back(*view.playerBefore);
    }
    if (view.standing) {
        points.push_back(*view.standing);
    }
    for (const Placed& placed : view.placed) {
        points.push_back(placed.at);
    }
    for (const Trough& trough : view.troughs) {
        if (trough.at) {
            points.push_back(*trough.at);
        }
    }
    const Plane plane = fit(closeLeft, closeTop, closeSize, points, 0.35);
    svg.text(closeLeft, closeTop - 30.0,
             formatText("At the trough: the placement of frame %llu, to scale",
                        static_cast<unsigned long long>(view.frame)),
             "heading");
    svg.text(closeLeft, closeTop - 14.0,
             "Top view in world units, +y up. Arrows: headings, degrees counter-clockwise from +x.",
             "note");
    drawGrid(svg, plane);

    const Trough* used = nullptr;
    for (const Trough& trough : view.troughs) {
        if (trough.handle == view.usedTrough) {
            used = &trough;
        }
    }
    if (view.search) {
        const Vec3 c = view.search->centre;
        const double r = static_cast<double>(view.search->radius) * plane.perUnit();
        svg.circle(plane.x(c.x), plane.y(c.y), r, "search");
        svg.text(plane.x(c.x), plane.y(c.y) - r - 6.0,
                 formatText("trough search, radius %g, around the player at the hold",
                            static_cast<double>(view.search->radius)),
                 "label", "middle");
    }
    if (view.playerBefore && used != nullptr && used->at) {
        svg.line(plane.x(view.playerBefore->x), plane.y(view.playerBefore->y), plane.x(used->at->x),
                 plane.y(used->at->y), "approach");
    }
    for (const Trough& trough : view.troughs) {
        if (!trough.at) {
            continue;
        }
        const double tx = plane.x(trough.at->x);
        const double ty = plane.y(trough.at->y);
        std::pair<double, double> facing{0.0, -1.0};
        if (trough.forward) {
            facing = pageDirection(trough.forward->x, trough.forward->y);
        }
        const double fx = facing.first;
        const double fy = facing.second;
        svg.raw("<g" + attr("class", "trough-at") +
                attr("data-handle", std::to_string(trough.handle)) +
                attr("data-model", hashedName(host, trough.model)) +
                attr("data-x", exact(trough.at->x)) + attr("data-y", exact(trough.at->y)) + ">");
        // The trough as a bar across the way it faces.
        const double half = 22.0;
        const double depth = 7.0;
        svg.polygon({{tx - fy * half + fx * depth, ty + fx * half + fy * depth},
                     {tx + fy * half + fx * depth, ty - fx * half + fy * depth},
                     {tx + fy * half - fx * depth, ty - fx * half - fy * depth},
                     {tx - fy * half - fx * depth, ty + fx * half - fy * depth}},
                    "trough");
        if (trough.forward) {
            svg.arrow(tx, ty, tx + fx * 60.0, ty + fy * 60.0, "forward");
        }
        svg.raw("</g>");
        std::pair<double, double> away{1.0, 0.0};
        if (view.playerBefore) {
            away = pageDirection(static_cast<double>(trough.at->x - view.playerBefore->x),
                                 static_cast<double>(trough.at->y - view.playerBefore->y));
        }
        std::vector<std::string> lines = {
            formatText("trough %d: %s", trough.handle, hashedName(host, trough.model).c_str()),
            formatText("at (%.2f, %.2f)", static_cast<double>(trough.at->x),
                       static_cast<double>(trough.at->y))};
        if (trough.forward) {
            lines.push_back(formatText("forward (%.2f, %.2f), %s",
                                       static_cast<double>(trough.forward->x),
                                       static_cast<double>(trough.forward->y),
                                       trough.forwardFromTrace ? "asked" : "from the world"));
        }
        labelAt(svg, tx, ty, away, 40.0, lines);
    }

    const Placed* player = nullptr;
    for (const Placed& placed : view.placed) {
        if (placed.handle == view.player) {
            player = &placed;
        }
    }
    if (view.playerBefore) {
        const double bx = plane.x(view.playerBefore->x);
        const double by = plane.y(view.playerBefore->y);
        if (player != nullptr) {
            svg.line(bx, by, plane.x(player->at.x), plane.y(player->at.y), "moved");
        }
        svg.circle(bx, by, 7.0, "before");
        std::pair<double, double> away{-0.7, 0.7};
        if (used != nullptr && used->at) {
            away = pageDirection(static_cast<double>(view.playerBefore->x - used->at->x),
                                 static_cast<double>(view.playerBefore->y - used->at->y));
        }
        labelAt(svg, bx, by, away, 16.0,
                {"player before the hold",
                 formatText("(%.2f, %.2f)", static_cast<double>(view.playerBefore->x),
                            static_cast<double>(view.playerBefore->y))});
    }
    if (view.standing) {
        const double sx = plane.x(view.standing->x);
        const double sy = plane.y(view.standing->y);
        svg.line(sx - 6.0, sy - 6.0, sx + 6.0, sy + 6.0, "standing");
        svg.line(sx - 6.0, sy + 6.0, sx + 6.0, sy - 6.0, "standing");
    }
    for (const Placed& placed : view.placed) {
        const std::string role = roleOf(roles, placed.handle);
        const double x = plane.x(placed.at.x);
        const double y = plane.y(placed.at.y);
        svg.raw("<g" + attr("class", "placed") +
                attr("data-handle", std::to_string(placed.handle)) + attr("data-role", role) +
                attr("data-x", exact(placed.at.x)) + attr("data-y", exact(placed.at.y)) +
                attr("data-z", exact(placed.at.z)) +
                (placed.heading ? attr("data-heading", exact(*placed.heading)) : "") + ">");
        if (placed.heading) {
            const double radians = static_cast<double>(*placed.heading) * pi / 180.0;
            svg.arrow(x, y, x + std::cos(radians) * 70.0, y - std::sin(radians) * 70.0,
                      roleClass(role), 12.0);
        }
        svg.circle(x, y, 7.0, roleClass(role));
        svg.raw("</g>");
        std::pair<double, double> away{0.0, 1.0};
        if (view.standing) {
            away = pageDirection(static_cast<double>(placed.at.x - view.standing->x),
                                 static_cast<double>(placed.at.y - view.standing->y));
        }
        labelAt(svg, x, y, away, 14.0,
                {role + " placed",
                 placed.heading ? formatText("heading %.1f", static_cast<double>(*placed.heading))
                                : std::string("no heading")});
    }
}

// What the symbols of the close-up stand for, and which calls they come from.
void drawLegend(Svg& svg, double top) {
    const double x = scanLeft;
    svg.text(x, top, "At the trough, from the trace:", "label");
    double y = top + 20.0;
    svg.circle(x + 8.0, y - 4.0, 6.0, "before");
    svg.text(x + 32.0, y, "player before the hold (GET_ENTITY_COORDS)", "label");
    y += 20.0;
    svg.circle(x + 8.0, y - 4.0, 6.0, "role-player");
    svg.arrow(x + 8.0, y - 4.0, x + 26.0, y - 4.0, "role-player", 7.0);
    svg.text(x + 32.0, y, "placed, heading (SET_ENTITY_COORDS, SET_ENTITY_HEADING)", "label");
    y += 20.0;
    svg.line(x + 3.0, y - 9.0, x + 13.0, y + 1.0, "standing");
    svg.line(x + 3.0, y + 1.0, x + 13.0, y - 9.0, "standing");
    svg.text(x + 32.0, y, "standing point (GET_GROUND_Z_FOR_3D_COORD)", "label");
    y += 20.0;
    svg.rect(x, y - 8.0, 16.0, 7.0, "trough");
    svg.text(x + 32.0, y, "trough (GET_CLOSEST_OBJECT_OF_TYPE, GET_ENTITY_COORDS)", "label");
    y += 20.0;
    svg.line(x, y - 4.0, x + 16.0, y - 4.0, "approach");
    svg.text(x + 32.0, y, "approach: player to trough; dotted: the player's move", "label");
}

} // namespace

void drawScan(Svg& svg, const ScanView& view, const std::map<int, std::string>& roles) {
    svg.text(scanLeft, scanTop - 30.0,
             formatText("The scan of frame %llu, when the prompt was offered",
                        static_cast<unsigned long long>(view.offerFrame)),
             "heading");
    if (!view.scanCentre) {
        svg.text(scanLeft, scanTop - 14.0, "No scan measured a pedestrian before the offer.",
                 "note");
        return;
    }
    svg.text(
        scanLeft, scanTop - 14.0,
        formatText("Squared separations from the player: the bound %g is a radius of %g units.",
                   scanBound, scanRadius),
        "note");
    const Vec3 c = *view.scanCentre;
    const auto bound = static_cast<float>(scanRadius);
    // A crowd would shrink the bound to a dot and run its rows off the page:
    // then only the neighbourhood of the bound is drawn, and the nearest
    // rows listed.
    const bool crowded = view.scanned.size() > crowdedScan;
    const auto drawn = [&](const Scanned& scanned) {
        return !crowded || (std::fabs(scanned.at.x - c.x) <= neighbourhood * bound &&
                            std::fabs(scanned.at.y - c.y) <= neighbourhood * bound);
    };
    std::vector<Vec3> points = {{c.x - bound, c.y - bound, c.z}, {c.x + bound, c.y + bound, c.z}};
    for (const Scanned& scanned : view.scanned) {
        if (drawn(scanned)) {
            points.push_back(scanned.at);
        }
    }
    const Plane plane = fit(scanLeft, scanTop, scanSize, points, 1.5);
    drawGrid(svg, plane);
    const double r = scanRadius * plane.perUnit();
    svg.circle(plane.x(c.x), plane.y(c.y), r, "bound");
    svg.text(plane.x(c.x), plane.y(c.y) - r - 5.0, formatText("bound: radius %g", scanRadius),
             "label", "middle");
    svg.circle(plane.x(c.x), plane.y(c.y), 5.0, "before");
    svg.text(plane.x(c.x), plane.y(c.y) + 18.0, "player", "label", "middle");
    for (const Scanned& scanned : view.scanned) {
        if (!drawn(scanned)) {
            continue;
        }
        const double x = plane.x(scanned.at.x);
        const double y = plane.y(scanned.at.y);
        svg.circle(x, y, 3.5, "scanned");
        svg.text(x + 7.0, y - 7.0, std::to_string(scanned.handle), "label");
        if (scanned.handle == view.groupTarget) {
            svg.circle(x, y, 10.0, "group");
        }
    }

    double y = scanTop + scanSize + 60.0;
    svg.text(scanLeft, y,
             formatText("Measured from (%.2f, %.2f, %.2f), in squared separations:",
                        static_cast<double>(c.x), static_cast<double>(c.y),
                        static_cast<double>(c.z)),
             "label");
    // A crowd's rows nearest first (a separation that is no number last),
    // so the pedestrians the bound decides between are among them.
    std::vector<Scanned> rows = view.scanned;
    if (crowded) {
        std::stable_sort(rows.begin(), rows.end(), [](const Scanned& a, const Scanned& b) {
            return !std::isnan(a.separation) &&
                   (std::isnan(b.separation) || a.separation < b.separation);
        });
    }
    std::size_t listed = 0;
    for (const Scanned& scanned : rows) {
        if (crowded && listed == listedRows) {
            y += 14.0;
            svg.text(scanLeft, y,
                     formatText("... and %zu more; only those within %g units of the player are "
                                "drawn.",
                                view.scanned.size() - listed, neighbourhood * scanRadius),
                     "note");
            break;
        }
        ++listed;
        y += 14.0;
        std::string row =
            formatText("%3d %-14s (%7.2f, %7.2f)  squared %7.3f", scanned.handle,
                       roleOf(roles, scanned.handle).c_str(), static_cast<double>(scanned.at.x),
                       static_cast<double>(scanned.at.y), static_cast<double>(scanned.separation));
        if (scanned.handle == view.groupTarget) {
            row += formatText("  <- prompt group %d", view.group);
        }
        svg.text(scanLeft, y, row, "mono");
    }
    if (view.groupTarget == 0) {
        svg.text(scanLeft, y + 14.0, "The prompt joined no pedestrian's prompt group.", "note");
    }
}

void drawTopView(Svg& svg, const TopView& view, const std::map<int, std::string>& roles,
                 const Host& host) {
    svg.raw("<g id=\"top-view\">");
    drawCloseUp(svg, view, roles, host);
    drawScan(svg, view.scan, roles);
    drawLegend(svg, scanTop + scanSize + 130.0);
    svg.raw("</g>");
}

} // namespace sim::picture
