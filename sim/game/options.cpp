#include "options.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace sim {

namespace {

// A whole decimal number within [low, high], or nothing.
std::optional<std::uint64_t> number(const char* text, std::uint64_t low, std::uint64_t high) {
    if (text == nullptr || *text < '0' || *text > '9') {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (*end != '\0' || errno != 0 || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// A path from the command line as the caller meant it. The game folder
// becomes the current directory before anything is written, so a relative
// path is made absolute against the caller's directory now, while that is
// still the current one.
std::filesystem::path callerPath(const char* text) {
    return std::filesystem::absolute(std::filesystem::path(text)).lexically_normal();
}

} // namespace

const char* const usage =
    "usage: sloshmere-sim [--scenario NAME | --soak [--seed N] [--passes N]] [--frames N] "
    "[--game FOLDER] [--trace] [--canonical-trace FILE] [--picture FILE.svg] | --list | "
    "--compare FILE FILE";

std::optional<std::string> parse(int argc, char** argv, Options& options) {
    options.scenario = &scenarios().front();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        const bool hasValue = value != nullptr && *value != '\0';
        if (arg == "--scenario" || arg == "--game" || arg == "--canonical-trace" ||
            arg == "--picture") {
            if (!hasValue) {
                return arg + " needs a value";
            }
            ++i;
            if (arg == "--scenario") {
                options.scenario = findScenario(value);
                if (options.scenario == nullptr) {
                    return "unknown scenario \"" + std::string(value) + "\" (--list names them)";
                }
            } else if (arg == "--game") {
                options.game = callerPath(value);
            } else if (arg == "--canonical-trace") {
                options.canonicalTrace = callerPath(value);
            } else {
                options.picture = callerPath(value);
            }
        } else if (arg == "--frames" || arg == "--seed" || arg == "--passes") {
            const std::uint64_t low = arg == "--seed" ? 0 : 1;
            const std::uint64_t high = arg == "--frames" ? 1'000'000
                                       : arg == "--passes"
                                           ? 10'000'000
                                           : std::numeric_limits<std::uint64_t>::max();
            const std::optional<std::uint64_t> parsed = number(value, low, high);
            if (!parsed) {
                return arg + " takes a whole number from " + std::to_string(low) + " to " +
                       std::to_string(high);
            }
            ++i;
            if (arg == "--frames") {
                options.frames = static_cast<int>(*parsed);
            } else if (arg == "--passes") {
                options.passes = static_cast<int>(*parsed);
            } else {
                options.seed = *parsed;
            }
        } else if (arg == "--compare") {
            if (!hasValue || i + 2 >= argc || *argv[i + 2] == '\0') {
                return "--compare needs two files";
            }
            options.compareFirst = callerPath(value);
            options.compareSecond = callerPath(argv[i + 2]);
            i += 2;
        } else if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--soak") {
            options.soak = true;
        } else if (arg == "--list") {
            options.list = true;
        } else {
            return "unknown option \"" + arg + "\"";
        }
    }
    return std::nullopt;
}

} // namespace sim
