// Guarantees of the simulated host itself that tests and benchmarks lean on:
// the pedestrian table answers as the plain search does, a frame hook may add
// hooks while it runs, the hook's fatal rules close the game, scripts live
// and restart as the hook runs them, and the canonical trace keeps its form.
#include "host/native.h"

#include "canonical.h"
#include "hook_exports.h"
#include "host.h"
#include "stand_ins.h"
#include "world.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

namespace {

TEST(SimWorldTest, TheIndexedLookupAnswersAsThePlainSearch) {
    sim::World world;
    world.addPed(5).position.x = 1.0F;
    world.addPed(-3);
    world.addPed(5).position.x = 2.0F; // a second pedestrian with the same handle
    world.addPed(0);

    sim::World indexed = world;
    indexed.indexPeds();
    for (const int handle : {5, -3, 0, 7}) {
        const sim::Ped* plain = world.findPed(handle);
        const sim::Ped* fast = indexed.findPed(handle);
        ASSERT_EQ(plain == nullptr, fast == nullptr) << "handle " << handle;
        if (plain != nullptr) {
            EXPECT_EQ(plain - world.peds.data(), fast - indexed.peds.data()) << "handle " << handle;
        }
    }

    // A pedestrian added after the index is still found: the table lapsed.
    indexed.addPed(7);
    ASSERT_NE(indexed.findPed(7), nullptr);
    EXPECT_EQ(indexed.findPed(7)->handle, 7);
}

TEST(SimHostTest, AFrameHookMayAddHooksWhileItRuns) {
    sim::Host host;
    int added = 0;
    int ran = 0;
    host.frameHooks.emplace_back([&added, &ran](sim::Host& h) {
        // Enough additions to outgrow any first allocation; the captures
        // are read after them.
        for (int i = 0; i < 40; ++i) {
            h.frameHooks.emplace_back([&ran](sim::Host&) { ++ran; });
        }
        added += 40;
    });
    host.advanceFrame();
    EXPECT_EQ(added, 40);
    EXPECT_EQ(ran, 40) << "hooks added during a frame run in that frame, after their maker";
}

// --- The hook's rules, and the script's life as the hook runs it. ---

using test::fakeModule;
using test::noKeys;

void idleScript() {
    for (;;) {
        scriptWait(0);
    }
}

// A misbehaving module's script: asks for a native the game does not have,
// from its own fiber.
void unknownNativeScript() {
    scriptWait(0);
    nativeInit(0x1234567812345678);
}

// Each call the real hook answers by closing the game ends the run at once,
// non-zero, with one line that names the rule, the frame and what broke it.
TEST(SimHookRulesDeathTest, EachBrokenRuleClosesTheGameNamingItsCause) {
    struct Case {
        const char* rule;
        void (*breakIt)(sim::Host& host);
        const char* line;
    };
    const Case cases[] = {
        {"a native the game does not have",
         [](sim::Host&) { sloshmere::callNative(0x1234567812345678); },
         R"(^the game would close: no native 0x1234567812345678 \(frame 0\)[[:space:]]*$)"},
        {"the same, from a module's script on its fiber",
         [](sim::Host& host) {
             scriptRegister(fakeModule(), unknownNativeScript);
             host.runFrames(3);
         },
         R"(^the game would close: no native 0x1234567812345678 \(frame 1\)[[:space:]]*$)"},
        {"a script main registered twice",
         [](sim::Host&) {
             scriptRegister(fakeModule(), idleScript);
             scriptRegister(reinterpret_cast<HMODULE>(std::uintptr_t{0x190000000}), idleScript);
         },
         R"(^the game would close: script main 0x[0-9A-F]+ registered twice \(module 0x190000000\) \(frame 0\)[[:space:]]*$)"},
        {"unregistering a module that never registered",
         [](sim::Host&) { scriptUnregister(fakeModule()); },
         R"(^the game would close: scriptUnregister for module 0x180000000, which never registered a script \(frame 0\)[[:space:]]*$)"},
        {"unregistering twice",
         [](sim::Host& host) {
             scriptRegister(fakeModule(), idleScript);
             host.runFrames(2);
             scriptUnregister(fakeModule());
             scriptUnregister(fakeModule());
         },
         R"(^the game would close: scriptUnregister for module 0x180000000, which never registered a script \(frame 2\)[[:space:]]*$)"},
        {"a keyboard handler registered twice",
         [](sim::Host&) {
             keyboardHandlerRegister(noKeys);
             keyboardHandlerRegister(noKeys);
         },
         R"(^the game would close: keyboard handler 0x[0-9A-F]+ registered twice \(frame 0\)[[:space:]]*$)"},
        {"a keyboard handler unregistered that never was",
         [](sim::Host&) { keyboardHandlerUnregister(noKeys); },
         R"(^the game would close: keyboardHandlerUnregister for handler 0x[0-9A-F]+, which was never registered \(frame 0\)[[:space:]]*$)"},
        {"scriptWait off the script fiber",
         [](sim::Host& host) {
             scriptRegister(fakeModule(), idleScript);
             host.runFrames(4);
             scriptWait(250);
         },
         R"(^the game would close: scriptWait\(250\) called off the script fiber \(frame 4\)[[:space:]]*$)"},
        {"a 33rd argument",
         [](sim::Host&) {
             nativeInit(0x096275889B8E0EE0);
             for (std::uint64_t i = 0; i < 33; ++i) {
                 nativePush64(i);
             }
         },
         R"(^the game would close: 33 arguments pushed for native 0x096275889B8E0EE0, room for 32 \(frame 0\)[[:space:]]*$)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        EXPECT_EXIT(
            {
                sim::Host host;
                c.breakIt(host);
                std::exit(0); // not closed: the death test fails on this code
            },
            ::testing::ExitedWithCode(sim::gameClosedExitCode), c.line);
    }
}

TEST(SimHookRulesTest, ThirtyTwoArgumentsAndOneResultAreaClearedEachCall) {
    sim::Host host;
    constexpr std::uint64_t first = 0x096275889B8E0EE0;  // PLAYER_PED_ID
    constexpr std::uint64_t second = 0xD42BD6EB2E0F1677; // DOES_ENTITY_EXIST
    nativeInit(first);
    for (std::uint64_t i = 0; i < sim::argumentSlots; ++i) {
        nativePush64(i + 1);
    }
    std::uint64_t* area = nativeCall();
    ASSERT_NE(area, nullptr);
    // The whole area is the caller's to read until the next init.
    std::fill(area, area + sim::resultSlots, ~std::uint64_t{0});

    nativeInit(second);
    for (std::size_t i = 0; i < sim::resultSlots; ++i) {
        ASSERT_EQ(area[i], 0U) << "slot " << i << " survived nativeInit";
    }
    EXPECT_EQ(nativeCall(), area) << "one buffer, reused by every call";
    ASSERT_EQ(host.trace.size(), 2U);
    EXPECT_EQ(host.trace[0].args.size(), sim::argumentSlots);
    EXPECT_TRUE(host.trace[1].args.empty()) << "nativeInit clears the pushed arguments";
}

int entries = 0;
int passes = 0;

void countingScript() {
    ++entries;
    for (;;) {
        ++passes;
        scriptWait(0);
    }
}

// The fiber is made at the first frame after registration; unregistering only
// takes the registration back; a restart runs the main again from the top,
// with what the module keeps as the old run left it.
TEST(SimHostTest, ScriptsLiveAsTheHookRunsThem) {
    sim::Host host;
    entries = 0;
    passes = 0;
    scriptRegister(fakeModule(), countingScript);
    EXPECT_EQ(entries, 0) << "nothing of the script runs at registration";
    host.runFrames(2);
    EXPECT_EQ(entries, 1);
    EXPECT_EQ(passes, 2);

    host.restartScripts();
    EXPECT_EQ(passes, 2) << "the ended run does not pass again";
    host.runFrames(1);
    EXPECT_EQ(entries, 2) << "the main starts again from the top";
    EXPECT_EQ(passes, 3) << "module-wide values keep what the old run left";
    ASSERT_FALSE(host.trace.empty());

    scriptUnregister(fakeModule());
    EXPECT_FALSE(host.scriptRegistered());
    host.runFrames(2);
    EXPECT_EQ(passes, 3) << "an unregistered script is not resumed";
    EXPECT_FALSE(host.scriptEscaped());
}

// Every digest, and the two builds' agreement, stand on this form: upper-case
// hex without leading zeros, a string as its text with each byte outside
// printable ASCII (and " and \) as \xNN, an address as "&"; a line hashed with its end.
TEST(SimCanonicalTraceTest, WritesEveryEntryInTheOneForm) {
    sim::TraceEntry native;
    native.frame = 20;
    native.gameTime = 3600660;
    native.hash = 0xFD340785ADF8CFB7;
    native.args = {0x1234, 0x5678, ~0ULL};
    native.argKinds = {sim::ArgKind::String, sim::ArgKind::Address, sim::ArgKind::Raw};
    native.strings = {{0, "a\"\\\x01\xE9z"}};
    native.result[0] = 0x5D8B9E0B;
    native.note = "read back 1.5";
    sim::TraceEntry wait;
    wait.kind = sim::TraceEntry::Kind::Wait;
    wait.frame = 21;
    wait.gameTime = 3600693;
    wait.args = {0};

    const std::pair<const sim::TraceEntry&, std::string> rows[] = {
        {native, R"(N 20 3600660 FD340785ADF8CFB7 "a\x22\x5C\x01\xE9z" & FFFFFFFFFFFFFFFF )"
                 "= 5D8B9E0B 0 0 ; read back 1.5"},
        {wait, "W 21 3600693 0 0 = 0 0 0"},
    };
    sim::CanonicalTrace trace;
    for (const auto& [entry, line] : rows) {
        EXPECT_EQ(sim::canonicalLine(entry), line);
        trace.add(entry);
    }
    EXPECT_EQ(trace.lines(), 2U);
    EXPECT_EQ(trace.summary(), "lines 2, digest C94AD4596D04DC8C");
}

} // namespace
