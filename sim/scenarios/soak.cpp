#include "soak.h"

#include "joaat.h"
#include "stage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <random>
#include <string_view>
#include <utility>

namespace sim {

namespace {

// The soak's worlds are the scenarios' trough side, shaken: the same roles,
// trough handle and grapple states.
using stage::drowningState;
using stage::offerState;
using stage::player;
using stage::victim;
constexpr int firstTrough = stage::trough;
constexpr std::uint32_t breakoutControl = 0xD0C1FEFF;
constexpr std::uint64_t PLAYER_PED_ID = 0x096275889B8E0EE0;
constexpr std::uint64_t KNOCKOUT_FINISH_4 = 0xE1EF3C1216AFF2CD;
constexpr std::uint64_t THROW_START = 0x648B75D44930D6BD;

constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();
constexpr int intMin = std::numeric_limits<int>::min();
constexpr int intMax = std::numeric_limits<int>::max();

constexpr const char* settingsFile = "Sloshmere.ini";

// The game's names as the simulated world knows them: the trough models, the
// drowning dictionaries, and grapple actions that keep a pair busy.
constexpr std::array<const char*, 4> troughModels = {"p_watertrough01x", "p_watertrough02x",
                                                     "p_watertrough03x", "p_watertrough01x_new"};
constexpr std::array<const char*, 2> drownDictionaries = {"mini_games@story@saloon1@drown@patron",
                                                          "mini_games@story@saloon1@drown@arthur"};
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

void writeFile(const char* name, std::string_view content) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

class FaultyWorld {
public:
    FaultyWorld(std::uint64_t seed, World& world) : random_(seed), world_(world) {}

    // Between passes: reshape whatever this pass's dice say.
    void beforePass() {
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
    Vec3 around(float spread) {
        Vec3 centre = stage::besideTrough;
        if (const Ped* self = world_.findPed(world_.playerHandle);
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
            return joaat(pick(effectActions));
        }
        return joaat(pick(busyActions));
    }

    Ped& addPed(int handle) {
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
        if (Ped* self = world_.findPed(world_.playerHandle); self != nullptr) {
            self->position = {coordinate(100.0F, 1.0F), coordinate(200.0F, 1.0F),
                              coordinate(50.0F, 1.0F)};
        }
        rollGrapple();
        placeTroughs();
    }

    void rollGrapple() {
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

    void placeTroughs() {
        world_.objects.clear();
        const std::size_t count = below(4);
        for (std::size_t i = 0; i < count; ++i) {
            const int handle = chance(950) ? firstTrough + static_cast<int>(i) : anyHandle();
            const std::uint32_t model =
                chance(900) ? joaat(pick(troughModels)) : joaat("p_chair01x");
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

    void rollCount() {
        static constexpr std::array<int, 11> counts = {0,    -1,   -1024, intMin, 1,     1023,
                                                       1024, 1025, 4096,  intMax, 100000};
        world_.reportedPedCount = chance(800) ? std::nullopt : std::optional<int>(pick(counts));
    }

    // Never a dictionary that will not load: the watcher polls until it does.
    void rollDictionaries() {
        world_.animDicts.clear();
        static constexpr std::array<int, 5> polls = {0, 1, 2, 3, 5};
        for (const char* name : drownDictionaries) {
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
            std::string longLabel(1 + below(maxLabel), 'L');
            return longLabel;
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
    World& world_;
};

// A settings file at the bounds of the soak's garbage: the most sections and
// the longest label it ever writes.
std::string largestSettings() {
    std::string text = "[Sloshmere]\nDrownText=" + std::string(maxLabel, 'W') + "\n";
    for (int i = 1; i < maxSections; ++i) {
        text += "[w" + std::to_string(i) + "]\nk=v\n";
    }
    return text;
}

// Each checkpoint is three passes for each of the two settings files.
constexpr int settleSteps = 6;

} // namespace

const std::string& Soak::checkpointLabel() {
    static const std::string label = "Drown (checkpoint)";
    return label;
}

class Soak::Faults {
public:
    Faults(Host& host, std::uint64_t seed, int passes, std::function<std::int64_t()> heapInUse)
        : world_(host.world), faults_(seed, host.world), heapInUse_(std::move(heapInUse)),
          warmUp_(std::min(2'000, passes / 10)), checkpointEvery_(std::max(1'000, passes / 10)) {
        report_.seed = seed;
        report_.passes = passes;
    }

    // The first native call after a wait, when it is PLAYER_PED_ID: a pass
    // begins and the one before it has ended.
    void passStarts() {
        if (finished_) {
            return;
        }
        if (inHostilePass_) {
            accountHostilePass();
        }
        inHostilePass_ = false;
        framesThisPass_ = 0;
        if (settleStep_ == settleSteps) {
            endCheckpoint();
            if (finished_) {
                return;
            }
        }
        if (settleStep_ >= 0) {
            settlePass(settleStep_++);
            return;
        }
        const int next = report_.passesRun;
        const bool checkpointDue =
            next == report_.passes ||
            (next == warmUp_ || (next > warmUp_ && (next - warmUp_) % checkpointEvery_ == 0));
        if (checkpointDue && settledAt_ != next) {
            settledAt_ = next;
            settleStep_ = 0;
            settlePass(settleStep_++);
            return;
        }
        faults_.beforePass();
        inHostilePass_ = true;
        madeBefore_ = world_.nextPromptId;
        clockBefore_ = world_.gameTimer;
    }

    void frameEnded() {
        if (finished_) {
            return;
        }
        if (++framesThisPass_ > soakFrameLimit) {
            fail("pass " + std::to_string(report_.passesRun) + " ran past " +
                 std::to_string(soakFrameLimit) + " frames");
            throw Runaway{};
        }
        if (faultsOn_) {
            faults_.duringFrame();
        }
    }

    void fail(const std::string& what) {
        report_.failures.push_back(what);
        finished_ = true;
    }

    [[nodiscard]] bool finished() const { return finished_; }
    SoakReport& report() { return report_; }

private:
    void accountHostilePass() {
        SoakCoverage& seen = report_.coverage;
        ++report_.passesRun;
        seen.promptsMade += world_.nextPromptId - madeBefore_;
        seen.longestPass = std::max(seen.longestPass, framesThisPass_);
        if (framesThisPass_ > 1 && world_.gameTimer < clockBefore_) {
            ++seen.wrapsInsideAPass;
        }
        for (Ped& ped : world_.peds) {
            if (ped.pairedAction != 0) {
                ++seen.pairsPlaced;
                ped.pairedAction = 0;
            }
        }
        for (const Prompt& prompt : world_.prompts) {
            if (prompt.id >= madeBefore_ && prompt.label != lastLabel_) {
                ++seen.labelChanges;
                lastLabel_ = prompt.label;
            }
        }
    }

    // Brings the module, through its own passes, to the same state at every
    // checkpoint: a quiet world, and settings read from the largest file the
    // soak writes and then from a small one.
    void settlePass(int step) {
        if (step == 0) {
            faultsOn_ = false;
            world_ = World{};
            world_.gameTimer = 1'000'000;
            world_.playerHandle = player;
            Ped& self = world_.addPed(player);
            self.position = stage::besideTrough;
            self.grapplePartner = victim;
            world_.addPed(victim).position = {100.7F, 200.1F, 50.0F};
            world_.addObject(firstTrough, joaat("p_watertrough01x"), stage::troughAt);
            for (const char* name : drownDictionaries) {
                world_.animDicts[name].loadedAfterPolls = 1;
            }
        }
        Ped& self = *world_.findPed(player);
        switch (step % 3) {
        case 0: {
            std::error_code ignored;
            std::filesystem::remove_all(settingsFile, ignored);
            writeFile(settingsFile, step == 0 ? largestSettings()
                                              : "[Sloshmere]\nDrownText=" + checkpointLabel() +
                                                    "\nDrownInput=INPUT_JUMP\n");
            // Busy: whatever prompt was live stops counting as live.
            self.actions = {joaat("AR_TO_TROUGH_FROM_STANDING_CUSTOM")};
            break;
        }
        case 1:
            // Offered: a new prompt, made after reading the file.
            self.actions.clear();
            self.grappleFlag = 1;
            self.grappleState = offerState;
            break;
        default:
            // Let go: the prompt is retired.
            self.grappleFlag = 0;
            break;
        }
    }

    void endCheckpoint() {
        settleStep_ = -1;
        if (world_.prompts.empty() || world_.prompts.back().label != checkpointLabel()) {
            fail("checkpoint before pass " + std::to_string(report_.passesRun) +
                 ": the prompt did not carry the reloaded label");
            return;
        }
        if (heapInUse_) {
            const std::int64_t now = heapInUse_();
            auto& books = report_.heapAtCheckpoints;
            if (!books.empty() && now > books.front()) {
                fail("the module's heap in use grew by " + std::to_string(now - books.front()) +
                     " bytes by pass " + std::to_string(report_.passesRun));
            }
            books.push_back(now);
        }
        faultsOn_ = true;
        world_.prompts.clear();
        world_.varStrings.clear();
        if (report_.passesRun == report_.passes) {
            finished_ = true;
        }
    }

    World& world_;
    FaultyWorld faults_;
    std::function<std::int64_t()> heapInUse_;
    int warmUp_;
    int checkpointEvery_;
    SoakReport report_;

    bool finished_ = false;
    bool faultsOn_ = true;
    bool inHostilePass_ = false;
    int settleStep_ = -1; // the next settle pass, or -1 outside a checkpoint
    int settledAt_ = -1;  // the hostile pass count the last checkpoint came before
    int framesThisPass_ = 0;
    int madeBefore_ = 0;
    std::uint32_t clockBefore_ = 0;
    std::string lastLabel_ = "Drown";
};

Soak::Soak(Host& host, std::uint64_t seed, int passes, std::function<std::int64_t()> heapInUse)
    : faults_(std::make_unique<Faults>(host, seed, passes, std::move(heapInUse))) {
    Faults* faults = faults_.get();
    const Host::Handler answerPlayer = host.handlerFor(PLAYER_PED_ID);
    host.handle(PLAYER_PED_ID, [faults, answerPlayer, &host](NativeCall& call) {
        if (host.callsSinceWait == 0) {
            faults->passStarts();
        }
        answerPlayer(call);
    });
    const Host::Handler knockout = host.handlerFor(KNOCKOUT_FINISH_4);
    host.handle(KNOCKOUT_FINISH_4, [faults, knockout](NativeCall& call) {
        knockout(call);
        ++faults->report().coverage.knockoutFinishes;
    });
    const Host::Handler thrown = host.handlerFor(THROW_START);
    host.handle(THROW_START, [faults, thrown](NativeCall& call) {
        thrown(call);
        ++faults->report().coverage.throws;
    });
    host.frameHooks.emplace_back([faults](Host&) { faults->frameEnded(); });
}

Soak::~Soak() = default;

bool Soak::done() const {
    return faults_->finished();
}

const SoakReport& Soak::report() const {
    return faults_->report();
}

void Soak::run() {
    Host* host = Host::current();
    while (!done() && host != nullptr) {
        try {
            host->runFrames(1);
        } catch (const Runaway&) {
            return;
        }
        if (host->scriptEscaped()) {
            faults_->fail("pass " + std::to_string(report().passesRun) +
                          " let an exception out of the script");
        } else if (!host->scriptRegistered()) {
            faults_->fail("the script is no longer registered");
        }
    }
}

std::vector<std::string> SoakReport::lines() const {
    std::vector<std::string> out;
    char buffer[512];
    std::snprintf(buffer, sizeof buffer,
                  "soak: seed %llu, %d of %d passes: %d prompts made, %d pairs placed, %d knockout "
                  "finishes, %d throws, %d label changes, %d clock wraps inside a pass, longest "
                  "pass %d frames",
                  static_cast<unsigned long long>(seed), passesRun, passes, coverage.promptsMade,
                  coverage.pairsPlaced, coverage.knockoutFinishes, coverage.throws,
                  coverage.labelChanges, coverage.wrapsInsideAPass, coverage.longestPass);
    out.emplace_back(buffer);
    if (!heapAtCheckpoints.empty()) {
        std::string heap = "soak: module heap in use at the " +
                           std::to_string(heapAtCheckpoints.size()) + " checkpoints (bytes):";
        for (const std::int64_t bytes : heapAtCheckpoints) {
            heap += ' ' + std::to_string(bytes);
        }
        out.push_back(heap);
    }
    for (const std::string& failure : failures) {
        out.push_back("soak FAILED: " + failure);
    }
    return out;
}

} // namespace sim
