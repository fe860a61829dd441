#include "soak.h"

#include "counted.h"
#include "joaat.h"
#include "soak_faults.h"
#include "stage.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <utility>

namespace sim {

namespace {

// The checkpoints stage the scenarios' trough side: the same roles, trough
// handle and grapple state.
using stage::offerState;
using stage::player;
using stage::victim;
constexpr int firstTrough = stage::trough;
constexpr std::uint64_t PLAYER_PED_ID = 0x096275889B8E0EE0;
constexpr std::uint64_t KNOCKOUT_FINISH_4 = 0xE1EF3C1216AFF2CD;
constexpr std::uint64_t THROW_START = 0x648B75D44930D6BD;

using faults::drownDictionaries;
using faults::FaultyWorld;
using faults::largestSettings;
using faults::settingsFile;
using faults::writeFile;

// Each checkpoint is three passes for each of the two settings files.
constexpr int settleSteps = 6;

} // namespace

const std::string& Soak::checkpointLabel() {
    static const std::string label = "Drown (checkpoint)";
    return label;
}

class Soak::Driver {
public:
    Driver(Host& host, std::uint64_t seed, int passes, std::function<std::int64_t()> heapInUse)
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
    : driver_(std::make_unique<Driver>(host, seed, passes, std::move(heapInUse))) {
    Driver* driver = driver_.get();
    const Host::Handler answerPlayer = host.handlerFor(PLAYER_PED_ID);
    host.handle(PLAYER_PED_ID, [driver, answerPlayer, &host](NativeCall& call) {
        if (host.callsSinceWait == 0) {
            driver->passStarts();
        }
        answerPlayer(call);
    });
    const Host::Handler knockout = host.handlerFor(KNOCKOUT_FINISH_4);
    host.handle(KNOCKOUT_FINISH_4, [driver, knockout](NativeCall& call) {
        knockout(call);
        ++driver->report().coverage.knockoutFinishes;
    });
    const Host::Handler thrown = host.handlerFor(THROW_START);
    host.handle(THROW_START, [driver, thrown](NativeCall& call) {
        thrown(call);
        ++driver->report().coverage.throws;
    });
    host.frameHooks.emplace_back([driver](Host&) { driver->frameEnded(); });
}

Soak::~Soak() = default;

bool Soak::done() const {
    return driver_->finished();
}

const SoakReport& Soak::report() const {
    return driver_->report();
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
            driver_->fail("pass " + std::to_string(report().passesRun) +
                          " let an exception out of the script");
        } else if (!host->scriptRegistered()) {
            driver_->fail("the script is no longer registered");
        }
    }
}

std::vector<std::string> SoakReport::lines() const {
    std::vector<std::string> out;
    out.push_back("soak: seed " + std::to_string(seed) + ", " + std::to_string(passesRun) + " of " +
                  counted(passes, "pass", "passes") + ": " +
                  counted(coverage.promptsMade, "prompt", "prompts") + " made, " +
                  counted(coverage.pairsPlaced, "pair", "pairs") + " placed, " +
                  counted(coverage.knockoutFinishes, "knockout finish", "knockout finishes") +
                  ", " + counted(coverage.throws, "throw", "throws") + ", " +
                  counted(coverage.labelChanges, "label change", "label changes") + ", " +
                  counted(coverage.wrapsInsideAPass, "clock wrap", "clock wraps") +
                  " inside a pass, longest pass " +
                  counted(coverage.longestPass, "frame", "frames"));
    if (!heapAtCheckpoints.empty()) {
        std::string heap =
            "soak: module heap in use at the " +
            counted(static_cast<long long>(heapAtCheckpoints.size()), "checkpoint", "checkpoints") +
            " (bytes):";
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
