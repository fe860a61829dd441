// The scriptable game world behind the simulated host. Tests set it up, the
// native handlers answer from it, and frame hooks change it as frames pass.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace sim {

struct Vec3 {
    float x = 0.0F;
    float y = 0.0F;
    float z = 0.0F;
};

struct Ped {
    int handle = 0;
    bool exists = true;
    Vec3 position{};
    // Who this pedestrian holds in a grapple (what the game reports for it).
    int grapplePartner = 0;
    // The 32-bit grapple state the game reports for this pedestrian.
    std::uint32_t grappleState = 0;
    // The hashes of the actions this pedestrian is performing now.
    std::vector<std::uint32_t> actions;
};

struct World {
    // PLAYER_PED_ID answers this.
    int playerHandle = 1;
    // Pedestrians in the order worldGetAllPeds lists them.
    std::vector<Ped> peds;
    // When set, worldGetAllPeds reports this count whatever it wrote.
    std::optional<int> reportedPedCount;

    // The game clock GET_GAME_TIMER reads; it moves by gameTimerStep each frame
    // and wraps past 0xFFFFFFFF as the game's does.
    std::uint32_t gameTimer = 0;
    std::uint32_t gameTimerStep = 33;

    // The (pad, control hash) pairs the control query reports as used.
    std::vector<std::pair<int, std::uint32_t>> usedControls;

    // The clock GetTickCount reads (Linux builds only; Windows has its own).
    std::uint64_t tickMs = 0;

    Ped* findPed(int handle);
    Ped& addPed(int handle);
};

} // namespace sim
