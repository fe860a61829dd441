// The library entry point: what attach and detach register, in which order.
#include "host/entry.h"

#include "host.h"
#include "stand_ins.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Kind = sim::TraceEntry::Kind;

using test::fakeModule;

std::vector<Kind> kinds(const sim::Host& host) {
    std::vector<Kind> out;
    for (const auto& entry : host.trace) {
        out.push_back(entry.kind);
    }
    return out;
}

TEST(DllMain, EachReasonRegistersInOrderAndReturnsTrue) {
    struct Case {
        DWORD reason;
        std::vector<Kind> expected;
    };
    const Case cases[] = {
        {DLL_PROCESS_ATTACH, {Kind::ScriptRegister, Kind::KeyboardRegister}},
        {DLL_PROCESS_DETACH, {Kind::ScriptUnregister, Kind::KeyboardUnregister}},
        {DLL_THREAD_ATTACH, {}},
        {DLL_THREAD_DETACH, {}},
    };
    for (const Case& c : cases) {
        sim::Host host;
        // A detach follows an attach, as in the game: unregistering what was
        // never registered would close it.
        if (c.reason == DLL_PROCESS_DETACH) {
            DllMain(fakeModule(), DLL_PROCESS_ATTACH, nullptr);
            host.trace.clear();
        }
        EXPECT_EQ(DllMain(fakeModule(), c.reason, nullptr), TRUE) << "reason " << c.reason;
        EXPECT_EQ(kinds(host), c.expected) << "reason " << c.reason;
    }
}

TEST(DllMain, AttachHandsTheHookOurScriptAndKeyboardCallback) {
    sim::Host host;
    DllMain(fakeModule(), DLL_PROCESS_ATTACH, nullptr);
    EXPECT_TRUE(host.scriptRegistered());
    EXPECT_TRUE(host.keyboardRegistered());

    DllMain(fakeModule(), DLL_PROCESS_DETACH, nullptr);
    EXPECT_FALSE(host.scriptRegistered()) << "detach must name the module it attached with";
    EXPECT_FALSE(host.keyboardRegistered()) << "detach must hand back the same callback";
}

} // namespace
