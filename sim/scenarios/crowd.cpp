// A full crowd around the trough: 1024 pedestrians, the most the hook lists,
// with one of every kind the nearby scan must pass over, so the prompt can
// only join the prompt group of one pedestrian.
#include "scenario.h"

#include "stage.h"

#include <cmath>
#include <cstddef>
#include <limits>

namespace sim {

namespace {

constexpr std::uint64_t grappleFrame = 1;
constexpr std::size_t crowdSize = 1024;

constexpr float bound = 16.0F;

// The one the scan must choose: at exactly the bound, and later in the list
// than another at the same separation.
constexpr int expected = 30;
constexpr std::int32_t expectedGroup = 77;
constexpr int tiedEarlier = 20;
constexpr int nanSeparation = 31;
constexpr int beyondBound = 32;
constexpr int firstFiller = 1000;

// Every other pedestrian keeps a prompt group of its own, so a wrong choice
// shows in the group the prompt joins.
std::int32_t groupOf(int handle) {
    return handle + 100;
}

// A pedestrian the scan may pass over, a step or two from the player: nearer
// than the expected one, so any test that let it through would choose it.
Ped& addNear(World& world, int handle, float step) {
    Ped& ped = world.addPed(handle);
    ped.position = {stage::besideTrough.x - step, stage::besideTrough.y + 1.0F,
                    stage::besideTrough.z};
    ped.promptGroup = groupOf(handle);
    return ped;
}

// A pedestrian the game measures at `separation` from the player, whatever
// its position.
void addMeasured(World& world, int handle, float step, float separation) {
    addNear(world, handle, step).separation = separation;
}

// Eligible but far beyond the bound: most of the crowd, across the square.
void addFiller(World& world, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const int handle = firstFiller + static_cast<int>(world.peds.size());
        Ped& ped = world.addPed(handle);
        // Rows of 32, two units apart, starting 40 units east of the player.
        const std::size_t row = i / 32;
        const std::size_t column = i % 32;
        ped.position = {stage::besideTrough.x + 40.0F + static_cast<float>(column) * 2.0F,
                        stage::besideTrough.y + static_cast<float>(row) * 2.0F,
                        stage::besideTrough.z};
        ped.promptGroup = groupOf(handle);
    }
}

} // namespace

Cast stageCrowdOf1024(Host& host) {
    World& world = host.world;
    stage::setTroughSide(world);
    // The victim carries the excluding config flag; the scan does not care
    // whom the player holds.
    world.findPed(stage::victim)->configFlags = {11};

    addNear(world, 10, 1.0F).human = false;
    addNear(world, 11, 1.1F).dead = true;
    addNear(world, 12, 1.2F).onMount = true;
    addNear(world, 13, 1.3F).inVehicle = true;
    addNear(world, 14, 1.4F).stateTestA = true;
    addNear(world, 15, 1.5F).stateTestB = true;
    addNear(world, 16, 1.6F).stateTestC = true;
    addNear(world, 17, 1.7F).exists = false;
    addMeasured(world, tiedEarlier, 2.0F, bound);

    const std::size_t named = world.peds.size() + 3; // the expected one and the two after it
    const std::size_t filler = crowdSize - named;
    addFiller(world, filler / 2);
    addMeasured(world, expected, 2.1F, bound);
    world.findPed(expected)->promptGroup = expectedGroup;
    addMeasured(world, nanSeparation, 2.2F, std::numeric_limits<float>::quiet_NaN());
    addMeasured(world, beyondBound, 2.3F, std::nextafter(bound, 2.0F * bound));
    addFiller(world, filler - filler / 2);
    world.indexPeds();

    stage::onFrame(host, grappleFrame, stage::grapple);
    Cast cast = stage::pairCast();
    cast.emplace(expected, "the expected pedestrian");
    return cast;
}

} // namespace sim
