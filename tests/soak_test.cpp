// Soak: a hundred thousand loop passes through the seeded hostile worlds of
// sim/scenarios/soak.h, the module called straight from the test so its heap use can
// be kept on the books: the replaced operator new (module_heap.cpp) counts
// only the blocks the module's own code allocates. No pass may crash, let an
// exception out or run without end, and the module's heap in use must not
// grow from checkpoint to checkpoint. The same seeds run on the shipped .asi
// under Wine (the windows preset).
//
// SLOSHMERE_SOAK_SEED repeats a run; SLOSHMERE_SOAK_PASSES shortens it.
#include "host/script.h"
#include "settings/settings.h"

#include "host.h"
#include "module_heap.h"
#include "module_state.h"
#include "soak.h"
#include "temp_cwd.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>

namespace {

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

// One loop pass with the module's heap use on the books.
void modulePass() {
    const heap::ModuleCode module;
    sloshmere::loopPass();
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
    sim::Soak soak(host, seed, passes, [] { return heap::moduleHeap().liveBytes; });

    while (!soak.done()) {
        try {
            modulePass();
        } catch (const sim::Soak::Runaway&) {
            break;
        } catch (...) {
            FAIL() << "pass " << soak.report().passesRun << " let an exception out";
        }
    }
    const sim::SoakReport& report = soak.report();
    for (const std::string& line : report.lines()) {
        std::printf("%s\n", line.c_str());
    }
    EXPECT_TRUE(report.failures.empty());
    EXPECT_EQ(report.passesRun, passes);
    EXPECT_GE(report.heapAtCheckpoints.size(), 2U);

    // Past the module-wide values, whose last content is legitimately kept,
    // the module must hold nothing.
    {
        sloshmere::SettingsDocument empty;
        std::swap(sloshmere::settingsDocument, empty);
        std::string label = "Drown";
        label.swap(sloshmere::promptText);
    }
    EXPECT_EQ(heap::moduleHeap().liveBytes, 0) << "bytes the module allocated and never freed";

    if (passes >= 10'000) {
        // A long run that never reached these paths proves nothing about them.
        const sim::SoakCoverage& seen = report.coverage;
        EXPECT_GT(seen.promptsMade, 0);
        EXPECT_GT(seen.pairsPlaced, 0);
        EXPECT_GT(seen.knockoutFinishes, 0);
        EXPECT_GT(seen.throws, 0);
        EXPECT_GT(seen.labelChanges, 0);
        EXPECT_GT(seen.wrapsInsideAPass, 0);
    }
}

} // namespace
