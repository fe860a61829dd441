#include "nearest_controls.h"

#include "letter_case.h"
#include "settings/controls.h"

#include <algorithm>
#include <utility>

namespace sloshmere::check {

namespace {

// Longer names are cut to this many letters before they are compared: no
// control name is longer than 42, and a line of the settings file may be
// megabytes long.
constexpr std::size_t comparedLetters = 64;

// The number of single-letter edits (insert, remove, change, or swap two
// neighbours, the commonest typo) between a and b, letter case aside.
std::size_t editDistance(std::string_view a, std::string_view b) {
    a = a.substr(0, comparedLetters);
    b = b.substr(0, comparedLetters);
    const std::size_t columns = b.size() + 1;
    // distance[i * columns + j]: between the first i letters of a and the
    // first j of b.
    std::vector<std::size_t> distance((a.size() + 1) * columns);
    const auto at = [&distance, columns](std::size_t i, std::size_t j) -> std::size_t& {
        return distance[i * columns + j];
    };
    for (std::size_t i = 0; i <= a.size(); ++i) {
        at(i, 0) = i;
    }
    for (std::size_t j = 0; j <= b.size(); ++j) {
        at(0, j) = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const bool same = upperLetter(a[i - 1]) == upperLetter(b[j - 1]);
            at(i, j) =
                std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + (same ? 0 : 1)});
            if (i > 1 && j > 1 && upperLetter(a[i - 1]) == upperLetter(b[j - 2]) &&
                upperLetter(a[i - 2]) == upperLetter(b[j - 1])) {
                at(i, j) = std::min(at(i, j), at(i - 2, j - 2) + 1);
            }
        }
    }
    return at(a.size(), b.size());
}

} // namespace

std::vector<std::string_view> nearestControlNames(std::string_view name, std::size_t count) {
    std::vector<std::pair<std::size_t, std::string_view>> ranked;
    ranked.reserve(controlNames.size());
    for (const ControlName& control : controlNames) {
        ranked.emplace_back(editDistance(name, control.name), control.name);
    }
    // Stable, so names at the same distance keep the table's order.
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string_view> nearest;
    for (std::size_t i = 0; i < std::min(count, ranked.size()); ++i) {
        nearest.push_back(ranked[i].second);
    }
    return nearest;
}

} // namespace sloshmere::check
