// Soak: a hundred thousand loop passes through seeded random worlds full of
// faults the game can hand a script: pedestrians appearing and vanishing,
// handles of 0, NaN and infinite positions, pedestrian counts of 0, negative
// and past the buffer, the game timer wrapping, holds completing at odd
// moments, and the settings file rewritten, deleted, made a directory or
// filled with garbage between prompts. No pass may crash, let an exception
// out or run without end, and the module's heap in use must not grow.
//
// SLOSHMERE_SOAK_SEED repeats a run; SLOSHMERE_SOAK_PASSES shortens it.
#include "drown/actions.h"
#include "drown/trough.h"
#include "drown/watcher.h"
#include "host/script.h"
#include "settings/settings.h"

#include "host.h"
#include "joaat.h"
#include "module_heap.h"
#include "module_state.h"
#include "temp_cwd.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr int player = 1;
constexpr int victim = 2;
constexpr int firstTrough = 900;
constexpr std::uint32_t drowningState = 0x4CD05DF6;
constexpr std::uint32_t breakoutControl = 0xD0C1FEFF;
constexpr std::uint64_t KNOCKOUT_FINISH_4 = 0xE1EF3C1216AFF2CD;
constexpr std::uint64_t THROW_START = 0x648B75D44930D6BD;

constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();
constexpr int intMin = std::numeric_limits<int>::min();
constexpr int intMax = std::numeric_limits<int>::max();

// The settings garbage stays within these bounds, and every checkpoint first
// loads a file that reaches them, so what the module keeps from its largest
// read is the same at every checkpoint.
constexpr int maxSections = 64;
constexpr std::size_t maxLabel = 300;
constexpr std::size_t maxGarbageBytes = 200; // under 4 bytes a section: < 64

// No pass may take more frames than the longest legitimate one: three short
// pauses and the knockout delay at one millisecond a frame, plus the
// dictionary loads.
constexpr int frameLimit = 20'000;

// Thrown by the frame hook when a pass runs past frameLimit.
struct Runaway {};

int envInt(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

std::uint64_t soakSeed() {
    if (const char* text = std::getenv("SLOSHMERE_SOAK_SEED"); text != nullptr && *text != '\0') {
        return std::strtoull(text, nullptr, 0);
    }
    std::random_device device;
    return (std::uint64_t{device()} << 32U) | device();
}

// What the run reached, so a soak that stops reaching the module's paths
// fails instead of passing quietly.
struct Coverage {
    int promptsMade = 0;
    int pairsPlaced = 0;
    int knockoutFinishes = 0;
    int throws = 0;
    int labelChanges = 0;
    int wrapsInsideAPass = 0;
    int longestPass = 0; // frames
};

class FaultyWorld {
public:
    FaultyWorld(std::uint64_t seed, sim::Host& host, const test::TempCwd& cwd)
        : random_(seed), world_(host.world), cwd_(cwd) {}

    // The frame count of the pass about to start begins at 0.
    void newPass() { framesThisPass_ = 0; }

    // Between passes: reshape whatever this pass's dice say.
    void beforePass() {
        newPass();
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

    // After each frame inside a pass: odd moments.
    void duringFrame() {
        if (++framesThisPass_ > frameLimit) {
            throw Runaway{};
        }
        if (!faultsOn) {
            return;
        }
        if (chance(20)) {
            completeAHold();
        }
        if (chance(10)) {
            rollGrapple();
        }
        if (chance(10) && !world_.peds.empty()) {
            sim::Ped& ped = world_.peds[below(world_.peds.size())];
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

    [[nodiscard]] int framesThisPass() const { return framesThisPass_; }

    bool faultsOn = true;

private:
    // True with probability perMille / 1000.
    bool chance(int perMille) { return static_cast<int>(random_() % 1000U) < perMille; }
    std::size_t below(std::size_t bound) { return static_cast<std::size_t>(random_() % bound); }
    template <typename T, std::size_t N>
    T pick(const std::array<T, N>& options) {
        return options[below(N)];
    }

    int anyHandle() {
        static constexpr std::array<int, 16> handles = {
            player, victim, 3, 4, 5, 6, 7, 8, 9, 10, 0, -1, -7, intMin, intMax, firstTrough};
        return pick(handles);
    }

    // A coordinate near `centre`, or now and then one no real position has.
    float coordinate(float centre, float spread) {
        if (chance(20)) {
            static constexpr std::array<float, 5> strange = {nan, inf, -inf, 3.4e38F, -0.0F};
            return pick(strange);
        }
        const auto unit = static_cast<float>(below(2001)) / 1000.0F - 1.0F;
        return centre + unit * spread;
    }

    // A point within `spread` of the player (or of where the player usually
    // stands, when the player's own position is not a number).
    sim::Vec3 near(float spread) {
        sim::Vec3 centre{100.0F, 200.0F, 50.0F};
        if (const sim::Ped* self = world_.findPed(world_.playerHandle);
            self != nullptr && std::isfinite(self->position.x) && std::isfinite(self->position.y) &&
            std::isfinite(self->position.z)) {
            centre = self->position;
        }
        return {coordinate(centre.x, spread), coordinate(centre.y, spread),
                coordinate(centre.z, spread / 2.0F)};
    }

    std::uint32_t actionHash() {
        static constexpr std::array<const char*, 5> effectActions = {
            "AR_GRAPPLE_CHOKE", "AR_GRAPPLE_CHOKE_INTRO", "AR_GRAPPLE_CHOKE_OUTRO",
            "AR_GRAPPLE_ATTACK", "AR_GRAPPLE_CHOKE_KNOCKOUT"};
        if (chance(600)) {
            return sim::joaat(pick(effectActions));
        }
        return sim::joaat(sloshmere::grappleActionNames[below(sloshmere::grappleActionCount)]);
    }

    sim::Ped& addPed(int handle) {
        sim::Ped& ped = world_.addPed(handle);
        ped.exists = chance(950);
        ped.position = near(10.0F);
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

    void buildCrowd() {
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
        if (sim::Ped* self = world_.findPed(world_.playerHandle); self != nullptr) {
            self->position = {coordinate(100.0F, 1.0F), coordinate(200.0F, 1.0F),
                              coordinate(50.0F, 1.0F)};
        }
        rollGrapple();
        placeTroughs();
    }

    void rollGrapple() {
        sim::Ped* self = world_.findPed(world_.playerHandle);
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
        if (sim::Ped* held = world_.findPed(self->grapplePartner); held != nullptr) {
            held->actions.clear();
            if (chance(150)) {
                held->actions.push_back(actionHash());
            }
        }
    }

    void placeTroughs() {
        world_.objects.clear();
        const std::size_t count = below(4);
        for (std::size_t i = 0; i < count; ++i) {
            const int handle = chance(950) ? firstTrough + static_cast<int>(i) : anyHandle();
            const std::uint32_t model =
                chance(900) ? sim::joaat(pick(sloshmere::troughModels)) : sim::joaat("p_chair01x");
            sim::Object& trough = world_.addObject(handle, model, near(1.2F));
            trough.exists = chance(900);
            static constexpr std::array<sim::Vec3, 4> facings = {
                sim::Vec3{0.0F, 1.0F, 0.0F}, sim::Vec3{-0.6F, -0.8F, 0.0F},
                sim::Vec3{0.0F, 0.0F, 0.0F}, sim::Vec3{nan, nan, nan}};
            trough.forward = pick(facings);
        }
        static constexpr std::array<float, 4> grounds = {49.9F, 49.9F, nan, -inf};
        world_.groundZ = chance(850) ? std::optional<float>(pick(grounds)) : std::nullopt;
    }

    void rollCount() {
        static constexpr std::array<int, 11> counts = {0,    -1,   -1024, intMin, 1,     1023,
                                                       1024, 1025, 4096,  intMax, 100000};
        world_.reportedPedCount = chance(800) ? std::nullopt : std::optional<int>(pick(counts));
    }

    // Never a dictionary that will not load: the watcher polls until it does.
    void rollDictionaries() {
        world_.animDicts.clear();
        static constexpr std::array<int, 5> polls = {0, 1, 2, 3, 5};
        for (const char* name : sloshmere::drownAnimDicts) {
            if (chance(800)) {
                world_.animDicts[name].loadedAfterPolls = pick(polls);
            }
        }
    }

    // Never a step of 0: the pauses wait for the clock to move.
    void rollClock() {
        static constexpr std::array<std::uint32_t, 8> steps = {16, 33, 33, 33, 100, 1000, 5000, 7};
        world_.gameTimerStep = chance(5) ? 1U : pick(steps);
    }

    void completeAHold() {
        if (!world_.prompts.empty()) {
            world_.prompts[chance(700) ? world_.prompts.size() - 1 : below(world_.prompts.size())]
                .holdCompleted = true;
        }
    }

    std::string label() {
        static constexpr std::array<std::string_view, 6> labels = {
            "Drown", "", "\"Drown\"", "Ertr\xC3\xA4nken", "  spaced  ", "x"};
        if (chance(200)) {
            return std::string(1 + below(maxLabel), 'L');
        }
        return std::string(pick(labels));
    }

    std::string control() {
        static constexpr std::array<std::string_view, 6> controls = {
            "INPUT_JUMP", "INPUT_CONTEXT_Y",  "input_jump", "INPUT_NOTHING",
            "",           "INPUT_HORSE_MOUNT"};
        return std::string(pick(controls));
    }

    void touchSettingsFile() {
        const std::filesystem::path file = cwd_.path() / "Sloshmere.ini";
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
            cwd_.write("Sloshmere.ini", text);
        } else if (roll < 50) {
            // Deleted: nothing more to do.
        } else if (roll < 65) {
            std::filesystem::create_directory(file, ignored);
        } else if (roll < 85) {
            std::string bytes(below(maxGarbageBytes + 1), '\0');
            for (char& byte : bytes) {
                byte = static_cast<char>(random_() & 0xFFU);
            }
            cwd_.write("Sloshmere.ini", bytes);
        } else {
            cwd_.write("Sloshmere.ini", garbageSections(1 + static_cast<int>(below(maxSections))));
        }
    }

    // Up to `count` sections, the module's among them now and then, with keys
    // that are odd but well formed.
    std::string garbageSections(int count) {
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

    std::mt19937_64 random_;
    sim::World& world_;
    const test::TempCwd& cwd_;
    int framesThisPass_ = 0;
};

// One loop pass with the module's heap use on the books.
void modulePass() {
    const heap::ModuleCode module;
    sloshmere::loopPass();
}

// A settings file at the bounds of the soak's garbage: the most sections and
// the longest label it ever writes.
std::string largestSettings() {
    std::string text = "[Sloshmere]\nDrownText=" + std::string(maxLabel, 'W') + "\n";
    for (int i = 1; i < maxSections; ++i) {
        text += "[w" + std::to_string(i) + "]\nk=v\n";
    }
    return text;
}

const std::string checkpointLabel = "Drown (checkpoint)";
const std::string checkpointSettings =
    "[Sloshmere]\nDrownText=" + checkpointLabel + "\nDrownInput=INPUT_JUMP\n";

// Brings the module, through its own passes, to the same state at every
// checkpoint: a quiet world, and settings read from the largest file the soak
// writes and then from a small one. Returns its heap in use then.
std::int64_t settle(sim::Host& host, FaultyWorld& faults, const test::TempCwd& cwd) {
    faults.faultsOn = false;
    sim::World& world = host.world;
    world = sim::World{};
    world.gameTimer = 1'000'000;
    world.playerHandle = player;
    sim::Ped& self = world.addPed(player);
    self.position = {100.0F, 200.0F, 50.0F};
    self.grapplePartner = victim;
    world.addPed(victim).position = {100.7F, 200.1F, 50.0F};
    world.addObject(firstTrough, sim::joaat("p_watertrough01x"), {100.9F, 200.8F, 49.8F});
    for (const char* name : sloshmere::drownAnimDicts) {
        world.animDicts[name].loadedAfterPolls = 1;
    }

    for (const std::string& settings : {largestSettings(), checkpointSettings}) {
        std::error_code ignored;
        std::filesystem::remove_all(cwd.path() / "Sloshmere.ini", ignored);
        cwd.write("Sloshmere.ini", settings);
        // Busy: whatever prompt was live stops counting as live.
        world.findPed(player)->actions = {sim::joaat("AR_TO_TROUGH_FROM_STANDING_CUSTOM")};
        faults.newPass();
        modulePass();
        // Offered: a new prompt, made after reading the file.
        world.findPed(player)->actions.clear();
        world.findPed(player)->grappleFlag = 1;
        world.findPed(player)->grappleState = 0x13930D00;
        faults.newPass();
        modulePass();
        // Let go: the prompt is retired.
        world.findPed(player)->grappleFlag = 0;
        faults.newPass();
        modulePass();
    }
    EXPECT_EQ(sloshmere::promptText, checkpointLabel) << "the checkpoint did not reload settings";
    EXPECT_FALSE(sloshmere::promptActive);
    faults.faultsOn = true;
    world.prompts.clear();
    world.varStrings.clear();
    return heap::moduleHeap().liveBytes;
}

TEST(Soak, HostileWorldsNeitherCrashNorHangNorGrowTheHeap) {
    const std::uint64_t seed = soakSeed();
    const int passes = envInt("SLOSHMERE_SOAK_PASSES", 100'000);
    std::printf("soak: seed %llu, %d passes (repeat with SLOSHMERE_SOAK_SEED=%llu)\n",
                static_cast<unsigned long long>(seed), passes,
                static_cast<unsigned long long>(seed));
    std::fflush(stdout);
    SCOPED_TRACE("soak seed " + std::to_string(seed));

    test::TempCwd cwd;
    test::resetModuleState();
    sim::Host host;
    // The trace would grow with every call for the whole run.
    host.tracing = false;
    FaultyWorld faults(seed, host, cwd);
    host.frameHooks.emplace_back([&faults](sim::Host&) { faults.duringFrame(); });

    Coverage seen;
    host.handle(KNOCKOUT_FINISH_4, [&seen](sim::NativeCall&) { ++seen.knockoutFinishes; });
    host.handle(THROW_START, [&seen](sim::NativeCall&) { ++seen.throws; });

    const int warmUp = std::min(2'000, passes / 10);
    const int checkpointEvery = std::max(1'000, passes / 10);
    std::int64_t baseline = -1;
    std::string lastLabel = sloshmere::promptText;

    for (int pass = 0; pass < passes; ++pass) {
        if (pass == warmUp) {
            baseline = settle(host, faults, cwd);
        } else if (pass > warmUp && (pass - warmUp) % checkpointEvery == 0) {
            const std::int64_t now = settle(host, faults, cwd);
            EXPECT_LE(now, baseline) << "the module's heap in use grew by " << now - baseline
                                     << " bytes by pass " << pass;
        }
        faults.beforePass();
        const int madeBefore = host.world.nextPromptId;
        const std::uint32_t clockBefore = host.world.gameTimer;
        try {
            modulePass();
        } catch (const Runaway&) {
            FAIL() << "pass " << pass << " ran past " << frameLimit << " frames";
        } catch (...) {
            FAIL() << "pass " << pass << " let an exception out";
        }
        seen.promptsMade += host.world.nextPromptId - madeBefore;
        seen.longestPass = std::max(seen.longestPass, faults.framesThisPass());
        if (faults.framesThisPass() > 1 && host.world.gameTimer < clockBefore) {
            ++seen.wrapsInsideAPass;
        }
        for (sim::Ped& ped : host.world.peds) {
            if (ped.pairedAction != 0) {
                ++seen.pairsPlaced;
                ped.pairedAction = 0;
            }
        }
        if (sloshmere::promptText != lastLabel) {
            ++seen.labelChanges;
            lastLabel = sloshmere::promptText;
        }
    }
    const std::int64_t end = settle(host, faults, cwd);
    EXPECT_LE(end, baseline) << "the module's heap in use grew by " << end - baseline
                             << " bytes over the run";

    // Past the module-wide values, whose last content is legitimately kept,
    // the module must hold nothing.
    {
        sloshmere::SettingsDocument empty;
        std::swap(sloshmere::settingsDocument, empty);
        std::string label = "Drown";
        label.swap(sloshmere::promptText);
    }
    EXPECT_EQ(heap::moduleHeap().liveBytes, 0) << "bytes the module allocated and never freed";

    std::printf("soak: %d prompts made, %d pairs placed, %d knockout finishes, %d throws, %d label "
                "changes, %d clock wraps inside a pass, longest pass %d frames; module heap "
                "at checkpoints %lld bytes, %llu allocations in all\n",
                seen.promptsMade, seen.pairsPlaced, seen.knockoutFinishes, seen.throws,
                seen.labelChanges, seen.wrapsInsideAPass, seen.longestPass,
                static_cast<long long>(baseline),
                static_cast<unsigned long long>(heap::moduleHeap().allocations));
    if (passes >= 20'000) {
        // A long run that never reached these paths proves nothing about them.
        EXPECT_GT(seen.promptsMade, 0);
        EXPECT_GT(seen.pairsPlaced, 0);
        EXPECT_GT(seen.knockoutFinishes, 0);
        EXPECT_GT(seen.throws, 0);
        EXPECT_GT(seen.labelChanges, 0);
        EXPECT_GT(seen.wrapsInsideAPass, 0);
    }
}

} // namespace
