// One loop pass over a crowd of 1024 eligible pedestrians in each of the
// watcher's situations, against its floor: the very same native calls,
// replayed through the same simulated host with none of the module's logic.
// The pass also keeps books on the module's heap: blocks per pass, and bytes
// still held once the pass is over.
#include "bench.h"

#include "host/script.h"
#include "log/session_log.h"

#include "host.h"
#include "joaat.h"
#include "module_heap.h"
#include "module_state.h"
#include "temp_cwd.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int crowdSize = 1024;
// The crowd holds handles 1 to 1024; the player is listed after them, past
// what the scan's buffer takes, so every pedestrian the scan sees is eligible.
constexpr int player = crowdSize + 1;
constexpr int victim = 1;
constexpr int trough = 5000;
constexpr std::uint32_t offerState = 0x13930D00;
constexpr std::uint32_t drowningState = 0x4CD05DF6;

enum class Situation { Quiet, Busy, Offered };

// Quiet: the player holds nobody and no trough is near. Busy: the pair is in
// the drowning move. Offered: the prompt is live and shown beside a trough.
void stageSituation(sim::Host& host, Situation situation) {
    sim::World& world = host.world;
    world.playerHandle = player;
    for (int i = 1; i <= crowdSize; ++i) {
        // Spread over a disc of radius 10 around the player, all eligible.
        const float angle = static_cast<float>(i) * 0.618F;
        const float radius = 0.7F + static_cast<float>(i % 93) * 0.1F;
        world.addPed(i).position = {100.0F + radius * std::cos(angle),
                                    200.0F + radius * std::sin(angle), 50.0F};
    }
    world.findPed(victim)->promptGroup = 21;
    world.addPed(player).position = {100.0F, 200.0F, 50.0F};
    // The crowd stays as it is from here on; only its fields change.
    world.indexPeds();
    sim::Ped& self = *world.findPed(player);
    for (const char* name :
         {"mini_games@story@saloon1@drown@patron", "mini_games@story@saloon1@drown@arthur"}) {
        world.animDicts[name].loadedAfterPolls = 1;
    }
    if (situation == Situation::Quiet) {
        return;
    }
    world.addObject(trough, sim::joaat("p_watertrough01x"), {100.9F, 200.8F, 49.8F});
    self.grapplePartner = victim;
    self.grappleFlag = 1;
    if (situation == Situation::Busy) {
        self.grappleState = drowningState;
        self.actions = {sim::joaat("AR_TO_TROUGH_FROM_STANDING_CUSTOM")};
    } else {
        self.grappleState = offerState;
    }
}

// The module-free twin of a recorded pass: each call with its recorded hash
// and argument slots, strings and records pointing at copies of our own.
class Replay {
public:
    explicit Replay(const std::vector<sim::TraceEntry>& pass) {
        for (const sim::TraceEntry& entry : pass) {
            const Call call{entry.hash, static_cast<std::uint32_t>(args_.size()),
                            static_cast<std::uint16_t>(entry.args.size()), entry.kind};
            for (std::size_t i = 0; i < entry.args.size(); ++i) {
                std::uint64_t slot = entry.args[i];
                const sim::ArgKind kind =
                    i < entry.argKinds.size() ? entry.argKinds[i] : sim::ArgKind::Raw;
                if (kind == sim::ArgKind::String) {
                    strings_.push_back(entry.stringArg(i));
                    slot = strings_.size() - 1; // made an address below
                    stringSlots_.push_back(args_.size());
                } else if (kind == sim::ArgKind::Address) {
                    slot = reinterpret_cast<std::uintptr_t>(record_.data());
                }
                args_.push_back(slot);
            }
            calls_.push_back(call);
        }
        // Only now that strings_ has its final size do its texts stay put.
        for (const std::size_t at : stringSlots_) {
            args_[at] = reinterpret_cast<std::uintptr_t>(strings_[args_[at]].c_str());
        }
    }

    void run() {
        for (const Call& call : calls_) {
            switch (call.kind) {
            case sim::TraceEntry::Kind::Native:
                nativeInit(call.hash);
                for (std::size_t i = 0; i < call.argCount; ++i) {
                    nativePush64(args_[call.firstArg + i]);
                }
                benchmark::DoNotOptimize(nativeCall());
                break;
            case sim::TraceEntry::Kind::GetAllPeds:
                benchmark::DoNotOptimize(
                    worldGetAllPeds(peds_.data(), static_cast<int>(peds_.size())));
                break;
            case sim::TraceEntry::Kind::Wait:
                scriptWait(static_cast<DWORD>(args_[call.firstArg]));
                break;
            default:
                break;
            }
        }
    }

private:
    // Small, so that reading the recording costs the floor little.
    struct Call {
        std::uint64_t hash;
        std::uint32_t firstArg;
        std::uint16_t argCount;
        sim::TraceEntry::Kind kind;
    };
    std::vector<Call> calls_;
    std::vector<std::uint64_t> args_;
    std::vector<std::size_t> stringSlots_;
    std::vector<std::string> strings_;
    std::array<std::uint64_t, 8> record_{};
    std::array<int, crowdSize> peds_{};
};

// The trace of one pass, in words and in full.
struct Recording {
    std::vector<std::string> lines;
    std::vector<sim::TraceEntry> entries;
};

template <typename Step>
Recording record(sim::Host& host, Step step) {
    host.trace.clear();
    host.tracing = true;
    step();
    host.tracing = false;
    Recording out{host.lines(), std::move(host.trace)};
    host.trace.clear();
    return out;
}

// A staged world whose passes have settled: the first pass of the offered
// situation makes the prompt and loads the dictionaries; later ones repeat.
class Stage {
public:
    Stage(Situation situation, bool log) {
        cwd.write("Sloshmere.ini",
                  std::string("[Sloshmere]\nDrownText=Drown\nDrownInput=INPUT_JUMP\n") +
                      (log ? "Log=1\n" : ""));
        test::resetModuleState();
        stageSituation(host, situation);
        // As the script's start does; the header is written here, before
        // the passes that are timed.
        sloshmere::startLog();
        for (int i = 0; i < 3; ++i) {
            sloshmere::loopPass();
        }
        pass = record(host, [] { sloshmere::loopPass(); });
        steady = record(host, [] { sloshmere::loopPass(); }).lines == pass.lines;
    }

    test::TempCwd cwd;
    sim::Host host;
    Recording pass;
    bool steady = false;
};

// Every iteration runs one pass and then its floor, so that both meet the
// machine in the same state; the ratio is of their summed times.
void passAgainstFloor(benchmark::State& state, Situation situation, bool log) {
    Stage stage(situation, log);
    if (log != sloshmere::logWriting) {
        state.SkipWithError("the log is not as the situation asks");
        return;
    }
    Replay replay(stage.pass.entries);
    // The floor must be the pass's own calls, answered the same way.
    if (!stage.steady) {
        state.SkipWithError("the situation's passes differ from one another");
        return;
    }
    if (record(stage.host, [&replay] { replay.run(); }).lines != stage.pass.lines) {
        state.SkipWithError("the replay does not repeat the pass's calls");
        return;
    }
    double passSeconds = 0.0;
    double floorSeconds = 0.0;
    const heap::ModuleHeap before = heap::moduleHeap();
    for (auto _ : state) {
        const double start = bench::threadSeconds();
        {
            const heap::ModuleCode module;
            sloshmere::loopPass();
        }
        const double passed = bench::threadSeconds();
        replay.run();
        const double replayed = bench::threadSeconds();
        passSeconds += passed - start;
        floorSeconds += replayed - passed;
    }
    const heap::ModuleHeap after = heap::moduleHeap();
    const auto passes = static_cast<double>(state.iterations());
    state.counters[bench::passMicroseconds] = passSeconds / passes * 1e6;
    state.counters[bench::floorMicroseconds] = floorSeconds / passes * 1e6;
    state.counters[bench::passOverFloor] = passSeconds / floorSeconds;
    state.counters[bench::callsPerPass] = static_cast<double>(stage.pass.entries.size());
    state.counters[bench::allocationsPerPass] =
        static_cast<double>(after.allocations - before.allocations) / passes;
    state.counters[bench::bytesPerPass] =
        static_cast<double>(after.bytesAllocated - before.bytesAllocated) / passes;
    state.counters[bench::bytesKept] = static_cast<double>(after.liveBytes - before.liveBytes);
    test::resetModuleState();
}

} // namespace

namespace bench {

void registerLoopPassBenchmarks() {
    for (const bool log : {false, true}) {
        for (const auto& [name, situation] :
             {std::pair{"quiet", Situation::Quiet}, std::pair{"busy", Situation::Busy},
              std::pair{"offered", Situation::Offered}}) {
            const std::string row = std::string(name) + (log ? ", log on" : "");
            benchmark::RegisterBenchmark(loopPassName(row).c_str(), passAgainstFloor, situation,
                                         log)
                ->Unit(benchmark::kMicrosecond);
        }
    }
}

} // namespace bench
