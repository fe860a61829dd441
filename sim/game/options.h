// The simulated game's command line: what to run, for how long, where, and
// what to write about it.
#pragma once

#include "scenario.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace sim {

// The program's name as it was invoked: the last part of `argv0`, without a
// ".exe" (sloshmere-game, sloshmere-sim).
std::string programName(const char* argv0);

// What the program takes, for --help: its forms, then one line per option.
std::string usage(std::string_view program);

struct Options {
    const Scenario* scenario = nullptr;
    std::optional<int> frames;
    std::filesystem::path game;
    bool trace = false;
    std::filesystem::path canonicalTrace;
    std::filesystem::path picture;
    bool list = false;
    bool help = false;
    bool soak = false;
    std::uint64_t seed = 1;
    int passes = 20'000;
    std::filesystem::path compareFirst;
    std::filesystem::path compareSecond;
};

// Reads the command line into `options`. Returns what was wrong with it, in
// words, or nothing when it is sound. Paths are made absolute against the
// current directory, the caller's, before the game folder replaces it.
std::optional<std::string> parse(int argc, char** argv, Options& options);

} // namespace sim
