// A small SVG writer: the few elements the picture uses, written by hand one
// per line, with page coordinates to a tenth of a pixel and every text and
// attribute value escaped.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace sim::picture {

// Page coordinates, to a tenth of a pixel.
std::string px(double value);

// A placement value as the trace holds it: nine significant digits give back
// the very same float.
std::string exact(float value);

// The text with &, <, > and " written as entities.
std::string escaped(const std::string& text);

// ` name="value"`, the value escaped.
std::string attr(const char* name, const std::string& value);

// A document being written. A `title` becomes the shape's tooltip.
class Svg {
public:
    std::string out;

    // A line of markup as it is.
    void raw(const std::string& text);
    void line(double x1, double y1, double x2, double y2, const std::string& cls);
    void circle(double cx, double cy, double r, const std::string& cls,
                const std::string& title = "");
    void rect(double x, double y, double w, double h, const std::string& cls,
              const std::string& title = "");
    void polygon(const std::vector<std::pair<double, double>>& points, const std::string& cls,
                 const std::string& title = "");
    void text(double x, double y, const std::string& content, const std::string& cls = "",
              const char* anchor = "start");
    // A line with a filled head at its end.
    void arrow(double x1, double y1, double x2, double y2, const std::string& cls,
               double head = 9.0);
};

} // namespace sim::picture
