#include "soak_faults.h"

#include "joaat.h"
#include "stage.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>

namespace sim::faults {

namespace {

// The soak's worlds are the scenarios' trough side, shaken: the same roles,
// trough handle and grapple states.
using stage::drowningState;
using stage::player;
using stage::victim;
constexpr int firstTrough = stage::trough;
constexpr std::uint32_t breakoutControl = 0xD0C1FEFF;

constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();
constexpr int intMin = std::numeric_limits<int>::min();
constexpr int intMax = std::numeric_limits<int>::max();

// The game's names as the simulated world knows them: the trough models and
// grapple actions that keep a pair busy.
constexpr std::array<const char*, 4> troughModels = {"p_watertrough01x", "p_watertrough02x",
                                                     "p_watertrough03x", "p_watertrough01x_new"};
constexpr std::array<const char*, 10> busyActions = {"AR_TO_TROUGH_FROM_STANDING_CUSTOM",
                                                     "AR_GRAPPLE_STRUGGLE",
                                                     "AR_GRAPPLE_CHOKE_BACK",
                                                     "AR_grapple_switch_front_to_back",
                                                     "AR_GRAPPLE_CHOKE_INTRO_FRONT",
                                                     "AR_grapple_mount_running_from_left",
                                                     "AR_grapple_back_from_right_far",
                                                     "AR_MUD2_Struggle_KO",
                                                     "AR_GRAPPLE_CHALLENGE_FRONT_FAILURE_BREAKOUT",
                                                     "AR_GRAPPLE_CHALLENGE_FRONT_IDLE_V03"};

// The settings garbage stays within these bounds, and every checkpoint first
// loads a file that reaches them, so what the module keeps from its largest
// read is the same at every checkpoint.
constexpr int maxSections = 64;
constexpr std::size_t maxLabel = 300;
constexpr std::size_t maxGarbageBytes = 200; // under 4 bytes a section: < 64

} // namespace

void writeFile(const char* name, std::string_view content) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string largestSettings() {
    std::string text = "[Sloshmere]\nDrownText=" + std::string(maxLabel, 'W') + "\n";
    for (int i = 1; i < maxSections; ++i) {
        text += "[w" + std::to_string(i) + "]\nk=v\n";
    }
    return text;
}

FaultyWorld::FaultyWorld(std::uint64_t seed, World& world) : random_(seed), world_(world) {}

void FaultyWorld::beforePass() {
    if (chance(100)) {
        buildCrowd();
    }
    if (chance(200)) {
        rollGrapple();
    }
    if (chance(100)) {
        placeTroughs();
    }
    if (chance(50)) {
        rollCount();
    }
    if (chance(50)) {
        rollDictionaries();
    }
    if (chance(20)) {
        rollClock();
    }
    if (chance(10)) {
        world_.gameTimer = 0xFFFFFFFFU - static_cast<std::uint32_t>(below(20'000));
    } else if (chance(2)) {
        world_.gameTimer = static_cast<std::uint32_t>(random_());
    }
    if (chance(50)) {
        world_.usedControls.clear();
        if (chance(300)) {
            world_.usedControls.emplace_back(0, breakoutControl);
        }
    }
    if (chance(50)) {
        completeAHold();
    }
    if (chance(20)) {
        touchSettingsFile();
    }
    // The host keeps every prompt and label it ever made; the module
    // needs none of them past the pass that made them.
    if (world_.prompts.size() > 16) {
        world_.prompts.erase(world_.prompts.begin(), world_.prompts.end() - 1);
        world_.varStrings.clear();
    }
}

void FaultyWorld::duringFrame() {
    if (chance(20)) {
        completeAHold();
    }
    if (chance(10)) {
        rollGrapple();
    }
    if (chance(10) && !world_.peds.empty()) {
        Ped& ped = world_.peds[below(world_.peds.size())];
        ped.exists = !ped.exists;
    }
    if (chance(5) && !world_.peds.empty()) {
        world_.peds.erase(world_.peds.begin() +
                          static_cast<std::ptrdiff_t>(below(world_.peds.size())));
    }
    if (chance(5)) {
        addPed(anyHandle());
    }
    if (chance(5) && !world_.objects.empty()) {
        world_.objects[below(world_.objects.size())].exists = chance(500);
    }
    if (chance(5)) {
        rollClock();
    }
}

// True with probability perMille / 1000.
bool FaultyWorld::chance(int perMille) {
    return static_cast<int>(random_() % 1000U) < perMille;
}

std::size_t FaultyWorld::below(std::size_t bound) {
    return static_cast<std::size_t>(random_() % bound);
}

template <typename T, std::size_t N>
T FaultyWorld::pick(const std::array<T, N>& options) {
    return options[below(N)];
}

int FaultyWorld::anyHandle() {
    static constexpr std::array<int, 16> handles = {
        player, victim, 3, 4, 5, 6, 7, 8, 9, 10, 0, -1, -7, intMin, intMax, firstTrough};
    return pick(handles);
}

// A coordinate near `centre`, or now and then one no real position has.
float FaultyWorld::coordinate(float centre, float spread) {
    if (chance(20)) {
        static constexpr std::array<float, 5> strange = {nan, inf, -inf, 3.4e38F, -0.0F};
        return pick(strange);
    }
    const auto unit = static_cast<float>(below(2001)) / 1000.0F - 1.0F;
    return centre + unit * spread;
}

// A point within `spread` of the player (or of where the player usually
// stands, when the player's own position is not a number).
Vec3 FaultyWorld::around(float spread) {
    Vec3 centre = stage::besideTrough;
    if (const Ped* self = world_.findPed(world_.playerHandle);
        self != nullptr && std::isfinite(self->position.x) && std::isfinite(self->position.y) &&
        std::isfinite(self->position.z)) {
        centre = self->position;
    }
    return {coordinate(centre.x, spread), coordinate(centre.y, spread),
            coordinate(centre.z, spread / 2.0F)};
}

std::uint32_t FaultyWorld::actionHash() {
    static constexpr std::array<const char*, 5> effectActions = {
        "AR_GRAPPLE_CHOKE", "AR_GRAPPLE_CHOKE_INTRO", "AR_GRAPPLE_CHOKE_OUTRO", "AR_GRAPPLE_ATTACK",
        "AR_GRAPPLE_CHOKE_KNOCKOUT"};
    if (chance(600)) {
        return joaat(pick(effectActions));
    }
    return joaat(pick(busyActions));
}

Ped& FaultyWorld::addPed(int handle) {
    Ped& ped = world_.addPed(handle);
    ped.exists = chance(950);
    ped.position = around(10.0F);
    ped.human = chance(950);
    ped.dead = chance(50);
    ped.onMount = chance(50);
    ped.inVehicle = chance(50);
    ped.stateTestA = chance(30);
    ped.stateTestB = chance(30);
    ped.stateTestC = chance(30);
    if (chance(50)) {
        ped.configFlags.push_back(chance(500) ? 11 : 3);
    }
    if (chance(100)) {
        static constexpr std::array<float, 7> separations = {16.0F, 16.000002F, nan,  inf,
                                                             -inf,  0.0F,       -3.0F};
        ped.separation = pick(separations);
    }
    ped.promptGroup = chance(500) ? -1 : static_cast<int>(below(40)) - 5;
    return ped;
}

void FaultyWorld::buildCrowd() {
    world_.peds.clear();
    const std::size_t roll = below(1000);
    std::size_t size = 0;
    if (roll < 80) {
        size = 0;
    } else if (roll < 900) {
        size = 1 + below(8);
    } else if (roll < 995) {
        size = 9 + below(56);
    } else {
        size = 1025 + below(40); // more than the scan's buffer holds
    }
    world_.playerHandle = chance(950) ? player : anyHandle();
    for (std::size_t i = 0; i < size; ++i) {
        addPed(chance(900) || size > 64 ? static_cast<int>(i) + 1 : anyHandle());
    }
    if (Ped* self = world_.findPed(world_.playerHandle); self != nullptr) {
        self->position = {coordinate(100.0F, 1.0F), coordinate(200.0F, 1.0F),
                          coordinate(50.0F, 1.0F)};
    }
    rollGrapple();
    placeTroughs();
}

void FaultyWorld::rollGrapple() {
    Ped* self = world_.findPed(world_.playerHandle);
    if (self == nullptr) {
        return;
    }
    static constexpr std::array<std::uint32_t, 7> states = {
        0x13930D00U, 0x4E4B1E01U, 0x72B43B02U, 0xCE44C7EAU, drowningState, 0U, 0x13930D01U};
    static constexpr std::array<std::int32_t, 5> flags = {1, 1, 1, 0, 2};
    self->grapplePartner = chance(700) ? victim : anyHandle();
    self->grappleFlag = chance(20) ? -1 : pick(flags);
    self->grappleState = pick(states);
    self->actions.clear();
    for (int i = 0; chance(400) && i < 3; ++i) {
        self->actions.push_back(actionHash());
    }
    if (Ped* held = world_.findPed(self->grapplePartner); held != nullptr) {
        held->actions.clear();
        if (chance(150)) {
            held->actions.push_back(actionHash());
        }
    }
}

void FaultyWorld::placeTroughs() {
    world_.objects.clear();
    const std::size_t count = below(4);
    for (std::size_t i = 0; i < count; ++i) {
        const int handle = chance(950) ? firstTrough + static_cast<int>(i) : anyHandle();
        const std::uint32_t model = chance(900) ? joaat(pick(troughModels)) : joaat("p_chair01x");
        Object& trough = world_.addObject(handle, model, around(1.2F));
        trough.exists = chance(900);
        static constexpr std::array<Vec3, 4> facings = {
            Vec3{0.0F, 1.0F, 0.0F}, Vec3{-0.6F, -0.8F, 0.0F}, Vec3{0.0F, 0.0F, 0.0F},
            Vec3{nan, nan, nan}};
        trough.forward = pick(facings);
    }
    static constexpr std::array<float, 4> grounds = {49.9F, 49.9F, nan, -inf};
    world_.groundZ = chance(850) ? std::optional<float>(pick(grounds)) : std::nullopt;
}

void FaultyWorld::rollCount() {
    static constexpr std::array<int, 11> counts = {0,    -1,   -1024, intMin, 1,     1023,
                                                   1024, 1025, 4096,  intMax, 100000};
    world_.reportedPedCount = chance(800) ? std::nullopt : std::optional<int>(pick(counts));
}

// Never a dictionary that will not load: the watcher polls until it does.
void FaultyWorld::rollDictionaries() {
    world_.animDicts.clear();
    static constexpr std::array<int, 5> polls = {0, 1, 2, 3, 5};
    for (const char* name : drownDictionaries) {
        if (chance(800)) {
            world_.animDicts[name].loadedAfterPolls = pick(polls);
        }
    }
}

// Never a step of 0: the pauses wait for the clock to move.
void FaultyWorld::rollClock() {
    static constexpr std::array<std::uint32_t, 8> steps = {16, 33, 33, 33, 100, 1000, 5000, 7};
    world_.gameTimerStep = chance(5) ? 1U : pick(steps);
}

void FaultyWorld::completeAHold() {
    if (!world_.prompts.empty()) {
        world_.prompts[chance(700) ? world_.prompts.size() - 1 : below(world_.prompts.size())]
            .holdCompleted = true;
    }
}

std::string FaultyWorld::label() {
    static constexpr std::array<std::string_view, 6> labels = {
        "Drown", "", "\"Drown\"", "Ertr\xC3\xA4nken", "  spaced  ", "x"};
    if (chance(200)) {
        std::string longLabel(1 + below(maxLabel), 'L');
        return longLabel;
    }
    return std::string(pick(labels));
}

std::string FaultyWorld::control() {
    static constexpr std::array<std::string_view, 6> controls = {
        "INPUT_JUMP", "INPUT_CONTEXT_Y", "input_jump", "INPUT_NOTHING", "", "INPUT_HORSE_MOUNT"};
    return std::string(pick(controls));
}

void FaultyWorld::touchSettingsFile() {
    const std::filesystem::path file = settingsFile;
    std::error_code ignored;
    std::filesystem::remove_all(file, ignored);
    const std::size_t roll = below(100);
    if (roll < 35) {
        const char* eol = chance(300) ? "\r\n" : "\n";
        std::string text = chance(200) ? std::string("; edited\n") : std::string();
        text += std::string("[Sloshmere]") + eol;
        if (chance(800)) {
            text += "DrownText=" + label() + eol;
        }
        if (chance(800)) {
            text += "DrownInput=" + control() + eol;
        }
        writeFile(settingsFile, text);
    } else if (roll < 50) {
        // Deleted: nothing more to do.
    } else if (roll < 65) {
        std::filesystem::create_directory(file, ignored);
    } else if (roll < 85) {
        std::string bytes(below(maxGarbageBytes + 1), '\0');
        for (char& byte : bytes) {
            byte = static_cast<char>(random_() & 0xFFU);
        }
        writeFile(settingsFile, bytes);
    } else {
        writeFile(settingsFile, garbageSections(1 + static_cast<int>(below(maxSections))));
    }
}

// Up to `count` sections, the module's among them now and then, with keys
// that are odd but well formed.
std::string FaultyWorld::garbageSections(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += chance(100) ? "[Sloshmere]\n" : "[s" + std::to_string(below(100)) + "]\n";
        for (std::size_t k = below(4); k > 0; --k) {
            static constexpr std::array<std::string_view, 5> keys = {
                "DrownText", "DrownInput", "k\\=v", " spaced key ", "=novalue"};
            text += std::string(pick(keys)) + "=" + (chance(500) ? label() : control()) + "\n";
        }
    }
    return text;
}

} // namespace sim::faults
