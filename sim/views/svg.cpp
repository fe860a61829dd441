#include "svg.h"

#include "trace_words.h"

#include <cmath>
#include <string_view>

namespace sim::picture {

namespace {

// Closes an element, with a tooltip when there is a title.
std::string titled(const char* element, const std::string& title) {
    if (title.empty()) {
        return "/>";
    }
    return "><title>" + escaped(title) + "</title></" + element + ">";
}

} // namespace

std::string px(double value) {
    return formatText("%.1f", value);
}

std::string exact(float value) {
    return formatText("%.9g", static_cast<double>(value));
}

std::string escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string attr(const char* name, const std::string& value) {
    return std::string(" ") + name + R"(=")" + escaped(value) + '"';
}

void Svg::raw(const std::string& text) {
    out += text;
    out += '\n';
}

void Svg::line(double x1, double y1, double x2, double y2, const std::string& cls) {
    raw("<line x1=\"" + px(x1) + "\" y1=\"" + px(y1) + "\" x2=\"" + px(x2) + "\" y2=\"" + px(y2) +
        "\" class=\"" + cls + "\"/>");
}

void Svg::circle(double cx, double cy, double r, const std::string& cls, const std::string& title) {
    raw("<circle cx=\"" + px(cx) + "\" cy=\"" + px(cy) + "\" r=\"" + px(r) + "\" class=\"" + cls +
        "\"" + titled("circle", title));
}

void Svg::rect(double x, double y, double w, double h, const std::string& cls,
               const std::string& title) {
    raw("<rect x=\"" + px(x) + "\" y=\"" + px(y) + "\" width=\"" + px(w) + "\" height=\"" + px(h) +
        "\" class=\"" + cls + "\"" + titled("rect", title));
}

void Svg::polygon(const std::vector<std::pair<double, double>>& points, const std::string& cls,
                  const std::string& title) {
    std::string list;
    for (const auto& [x, y] : points) {
        if (!list.empty()) {
            list += ' ';
        }
        list += px(x);
        list += ',';
        list += px(y);
    }
    raw("<polygon points=\"" + list + "\" class=\"" + cls + "\"" + titled("polygon", title));
}

void Svg::text(double x, double y, const std::string& content, const std::string& cls,
               const char* anchor) {
    std::string open = "<text x=\"" + px(x) + "\" y=\"" + px(y) + "\"";
    if (!cls.empty()) {
        open += " class=\"" + cls + "\"";
    }
    if (std::string_view(anchor) != "start") {
        open += std::string(" text-anchor=\"") + anchor + "\"";
    }
    raw(open + ">" + escaped(content) + "</text>");
}

void Svg::arrow(double x1, double y1, double x2, double y2, const std::string& cls, double head) {
    const double length = std::hypot(x2 - x1, y2 - y1);
    if (length <= 0.0) {
        return;
    }
    const double ux = (x2 - x1) / length;
    const double uy = (y2 - y1) / length;
    const double bx = x2 - ux * head;
    const double by = y2 - uy * head;
    line(x1, y1, bx, by, cls);
    polygon({{x2, y2},
             {bx - uy * head * 0.45, by + ux * head * 0.45},
             {bx + uy * head * 0.45, by - ux * head * 0.45}},
            cls);
}

} // namespace sim::picture
