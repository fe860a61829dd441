// The soak's fault model: seeded dice that reshape the world between passes
// and at odd moments inside one. Pedestrians appear and vanish, handles are 0
// or extreme, positions NaN or infinite, the pedestrian count is 0, negative
// or past the scan's buffer, the game timer wraps, holds complete at odd
// moments, and the settings file is rewritten, deleted, made a directory or
// filled with garbage. The same seed rolls the same faults on every build.
#pragma once

#include "host.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace sim::faults {

inline constexpr const char* settingsFile = "Sloshmere.ini";

// The drowning dictionaries as the simulated world knows them.
inline constexpr std::array<const char*, 2> drownDictionaries = {
    "mini_games@story@saloon1@drown@patron", "mini_games@story@saloon1@drown@arthur"};

// Writes `content` to the file `name`, replacing what it held.
void writeFile(const char* name, std::string_view content);

// A settings file at the bounds of the soak's garbage: the most sections and
// the longest label it ever writes.
std::string largestSettings();

// The dice, over one world.
class FaultyWorld {
public:
    FaultyWorld(std::uint64_t seed, World& world);

    // Between passes: reshape whatever this pass's dice say.
    void beforePass();
    // After each frame inside a pass: odd moments.
    void duringFrame();

private:
    bool chance(int perMille);
    std::size_t below(std::size_t bound);
    template <typename T, std::size_t N>
    T pick(const std::array<T, N>& options);

    int anyHandle();
    float coordinate(float centre, float spread);
    Vec3 around(float spread);
    std::uint32_t actionHash();
    Ped& addPed(int handle);
    void buildCrowd();
    void rollGrapple();
    void placeTroughs();
    void rollCount();
    void rollDictionaries();
    void rollClock();
    void completeAHold();
    std::string label();
    std::string control();
    void touchSettingsFile();
    std::string garbageSections(int count);

    std::mt19937_64 random_;
    World& world_;
};

} // namespace sim::faults
