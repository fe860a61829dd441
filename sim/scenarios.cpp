// The registry of staged scenarios: the one list the simulated game, its
// tests and the trace comparison between builds all run from.
#include "scenario.h"

#include <algorithm>
#include <array>

namespace sim {

namespace {

constexpr std::array registry = {
    Scenario{"typical-drowning",
             "a pedestrian grappled beside a trough, the hold completed, the whole drowning",
             typicalDrowningFrames, stageTypicalDrowning},
};

} // namespace

std::span<const Scenario> scenarios() {
    return registry;
}

const Scenario* findScenario(std::string_view name) {
    const auto found = std::ranges::find(registry, name, &Scenario::name);
    return found == registry.end() ? nullptr : &*found;
}

} // namespace sim
