// Built only with the sanitizers: proof that a report ends the run with a
// failure instead of scrolling past in a log. Each statement commits one kind
// of fault in a child process, which must die with the matching report.
#include <gtest/gtest.h>

#include <sanitizer/lsan_interface.h>

#include <cmath>
#include <limits>

namespace {

// Hides a value from the optimiser, so the faults below are not folded away.
template <typename T>
T opaque(T value) {
    asm volatile("" : "+r"(value));
    return value;
}

// The only pointer to the block is dropped before returning.
[[gnu::noinline]] void leakABlock() {
    for (int i = 0; i < 16; ++i) {
        opaque(new char[64]);
    }
}

TEST(SanitizerDeathTest, EveryKindOfReportEndsTheRun) {
    EXPECT_DEATH(
        {
            char* block = new char[8];
            opaque(block)[opaque(8)] = 1;
            delete[] block;
        },
        "AddressSanitizer: heap-buffer-overflow");
    EXPECT_DEATH(
        {
            char* block = new char[8];
            delete[] block;
            opaque(block)[0] = 1;
        },
        "AddressSanitizer: heap-use-after-free");
    EXPECT_DEATH(opaque(opaque(std::numeric_limits<int>::max()) + 1),
                 "runtime error: signed integer overflow");
    EXPECT_DEATH(opaque(static_cast<int>(opaque(std::numeric_limits<float>::quiet_NaN()))),
                 "runtime error: nan is outside the range of representable values");
    EXPECT_DEATH(
        {
            leakABlock();
            __lsan_do_leak_check();
        },
        "LeakSanitizer: detected memory leaks");
}

} // namespace
