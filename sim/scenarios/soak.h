// The hostile soak: loop passes through seeded random worlds full of faults
// the game can hand a script (pedestrians appearing and vanishing, handles of
// 0, NaN and infinite positions, pedestrian counts of 0, negative and past
// the scan's buffer, the game timer wrapping, holds completing at odd
// moments, the settings file rewritten, deleted, made a directory or filled
// with garbage). The same fault model and schedule drive the Linux suite and
// the shipped .asi under Wine, so a seed means the same run on both.
//
// The soak never calls the module. It watches the module's passes through
// the host: a pass starts with the first native call after a wait when that
// call is PLAYER_PED_ID, and the soak reshapes the world right there, before
// answering it. Every checkpoint brings the module to the same state through
// its own passes (a quiet world, the largest settings file the soak writes,
// then a small one) and reads the module's heap in use.
#pragma once

#include "host.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sim {

// What a run reached, so a soak that stops reaching the module's paths fails
// instead of passing quietly.
struct SoakCoverage {
    int promptsMade = 0;
    int pairsPlaced = 0;
    int knockoutFinishes = 0;
    int throws = 0;
    int labelChanges = 0;
    int wrapsInsideAPass = 0;
    int longestPass = 0; // frames
};

struct SoakReport {
    std::uint64_t seed = 0;
    int passes = 0;    // hostile passes asked for
    int passesRun = 0; // hostile passes that ended
    SoakCoverage coverage;
    // The module's heap in use at each checkpoint, the first the baseline.
    std::vector<std::int64_t> heapAtCheckpoints;
    // Each in words; an empty list is a clean run.
    std::vector<std::string> failures;

    // "soak: seed S, N passes: ..." and one line per failure.
    [[nodiscard]] std::vector<std::string> lines() const;
};

// The most frames any legitimate pass takes: three short pauses and the
// knockout delay at one millisecond a frame, plus the dictionary loads.
inline constexpr int soakFrameLimit = 20'000;

class Soak {
public:
    // Installs the fault model on `host`: a frame hook and wrappers around
    // the PLAYER_PED_ID, knockout and throw handlers. `heapInUse`, when
    // given, reads the module's heap in use at each checkpoint; it is called
    // from inside a native call, at the start of a pass. The soak must
    // outlive every frame the host runs.
    Soak(Host& host, std::uint64_t seed, int passes, std::function<std::int64_t()> heapInUse = {});
    ~Soak();
    Soak(const Soak&) = delete;
    Soak& operator=(const Soak&) = delete;

    // True once every hostile pass and the last checkpoint are over, or a
    // failure ended the run.
    [[nodiscard]] bool done() const;
    // Drives the registered script frame by frame until done(). A pass that
    // runs past soakFrameLimit frames ends the run as a failure.
    void run();
    // For a caller that runs passes itself (the module called straight from a
    // test): thrown out of the frame hook, so out of the pass, when a pass
    // runs past soakFrameLimit; done() is then true.
    struct Runaway {};

    [[nodiscard]] const SoakReport& report() const;

    // The label every checkpoint's settings give the prompt.
    static const std::string& checkpointLabel();

    class Driver;

private:
    std::unique_ptr<Driver> driver_;
};

} // namespace sim
