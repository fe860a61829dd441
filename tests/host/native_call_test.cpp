// The calling conventions the game relies on: how arguments are widened into
// 64-bit slots and how results are read back.
#include "host/native.h"

#include "host.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

namespace {

using sloshmere::callNative;
using sloshmere::NativeValue;
using sloshmere::Vector3;

constexpr std::uint64_t probe = 0x1234567890ABCDEF; // a native each test teaches the host

TEST(NativeCall, ArgumentsAreWidenedIntoTheirSlots) {
    sim::Host host;
    host.handle(probe, [](sim::NativeCall&) {});
    static const char text[] = "p_watertrough01x";
    float ground = 0.0F;
    callNative(probe, std::int32_t{-1}, std::uint32_t{0xCE44C7EA}, true, false, -0.04F, 0.0F, text,
               &ground, NativeValue{0xFFFF'0000'1234'5678});

    ASSERT_EQ(host.trace.size(), 1U);
    const auto& args = host.trace[0].args;
    ASSERT_EQ(args.size(), 9U);
    EXPECT_EQ(args[0], 0x0000'0000'FFFF'FFFFU) << "negative handle must be zero-extended";
    EXPECT_EQ(args[1], 0x0000'0000'CE44'C7EAU);
    EXPECT_EQ(args[2], 1U);
    EXPECT_EQ(args[3], 0U);
    EXPECT_EQ(args[4], 0x0000'0000'BD23'D70AU) << "float bits in the low half of a zeroed slot";
    EXPECT_EQ(args[5], 0U);
    EXPECT_EQ(args[6], reinterpret_cast<std::uintptr_t>(text));
    EXPECT_EQ(args[7], reinterpret_cast<std::uintptr_t>(&ground));
    EXPECT_EQ(args[8], 0xFFFF'0000'1234'5678U) << "a 64-bit value passes whole";
}

TEST(NativeCall, ResultsAreReadFromTheirSlots) {
    sim::Host host;
    host.handle(probe, [](sim::NativeCall& call) {
        // Dirty high halves: the module must read only the low four bytes.
        call.returnRaw(0xDEAD'BEEF'8000'0001U);
    });
    EXPECT_EQ(callNative<std::int32_t>(probe), std::int32_t{-2147483647});
    EXPECT_EQ(callNative<std::uint32_t>(probe), 0x8000'0001U);
    EXPECT_TRUE(callNative<bool>(probe));

    host.handle(probe, [](sim::NativeCall& call) { call.returnRaw(0xFFFF'FFFF'0000'0000U); });
    EXPECT_FALSE(callNative<bool>(probe)) << "a boolean tests the low 32 bits only";

    host.handle(probe, [](sim::NativeCall& call) {
        call.returnRaw(0xABCD'0000'0000'0000U | std::bit_cast<std::uint32_t>(16.5F));
    });
    EXPECT_EQ(callNative<float>(probe), 16.5F);

    host.handle(probe, [](sim::NativeCall& call) { call.returnRaw(0xFFFF'0000'1234'5678U); });
    EXPECT_EQ(static_cast<std::uint64_t>(callNative<NativeValue>(probe)), 0xFFFF'0000'1234'5678U);
}

TEST(NativeCall, Vector3IsReadFromOffsetsZeroEightAndSixteen) {
    sim::Host host;
    host.handle(probe, [](sim::NativeCall& call) { call.returnVec3({1.5F, -2.25F, 300.0F}); });
    const Vector3 v = callNative<Vector3>(probe);
    EXPECT_EQ(v.x, 1.5F);
    EXPECT_EQ(v.y, -2.25F);
    EXPECT_EQ(v.z, 300.0F);
}

// With no answer to read, every result type reads as zeros and the call is
// still made: a native that writes no answer (the area was cleared at init,
// whatever the call before it left there), or a hook that hands back no
// result area at all, whatever the native wrote.
TEST(NativeCall, NoAnswerReadsAsZeros) {
    struct Case {
        const char* name;
        bool answers;
        bool withholdArea;
    };
    const Case cases[] = {
        {"a native that answers nothing", false, false},
        {"no result area", true, true},
    };
    constexpr std::uint64_t loud = 0x0000000000000001; // answers every slot
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Host host;
        host.handle(loud, [](sim::NativeCall& call) {
            call.returnRaw(~std::uint64_t{0});
            call.returnVec3({1.5F, -2.25F, 300.0F});
        });
        host.withholdResultArea = c.withholdArea;
        host.handle(probe, c.answers ? host.handlerFor(loud)
                                     : sim::Host::Handler([](sim::NativeCall&) {}));
        if (!c.withholdArea) {
            callNative<Vector3>(loud);
            host.trace.clear();
        }
        EXPECT_FALSE(callNative<bool>(probe, 7));
        EXPECT_EQ(callNative<std::int32_t>(probe, 7), 0);
        EXPECT_EQ(callNative<std::uint32_t>(probe, 7), 0U);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(callNative<float>(probe, 7)), 0U);
        EXPECT_EQ(static_cast<std::uint64_t>(callNative<NativeValue>(probe, 7)), 0U);
        const Vector3 v = callNative<Vector3>(probe, 7);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(v.x), 0U);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(v.y), 0U);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(v.z), 0U);
        ASSERT_EQ(host.trace.size(), 6U);
        for (const sim::TraceEntry& entry : host.trace) {
            EXPECT_EQ(entry.hash, probe);
            EXPECT_EQ(entry.args, std::vector<std::uint64_t>{7});
        }
    }
}

} // namespace
