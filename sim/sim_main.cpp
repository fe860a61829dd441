// The simulated game: loads the module into a game folder, plays a staged
// scenario (or the hostile soak) frame by frame, unloads the module and tells
// what it asked of the game. The same program on every build: on Windows it
// is sloshmere-sim.exe and loads the real Sloshmere.asi through our
// ScriptHookRDR2.dll; on Linux it is sloshmere-game with the module linked in.
// Both print the same canonical trace for the same run, which is how the two
// builds are shown to be one program.
#include "canonical.h"
#include "game.h"
#include "host.h"
#include "output_watch.h"
#include "picture.h"
#include "scenario.h"
#include "soak.h"
#include "story.h"
#include "timeline.h"

#ifdef _WIN32
#include "crt_heap.h"
#endif

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <functional>
#include <iostream>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

constexpr const char* usage =
    "usage: sloshmere-sim [--scenario NAME | --soak [--seed N] [--passes N]] [--frames N] "
    "[--game FOLDER] [--trace] [--canonical-trace FILE] [--picture FILE.svg] | --list | "
    "--compare FILE FILE";

struct Options {
    const sim::Scenario* scenario = nullptr;
    std::optional<int> frames;
    std::filesystem::path game;
    bool trace = false;
    std::filesystem::path canonicalTrace;
    std::filesystem::path picture;
    bool list = false;
    bool soak = false;
    std::uint64_t seed = 1;
    int passes = 20'000;
    std::filesystem::path compareFirst;
    std::filesystem::path compareSecond;
};

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

// Reads the command line into `options`. Returns what was wrong with it, in
// words, or nothing when it is sound.
std::optional<std::string> parse(int argc, char** argv, Options& options) {
    options.scenario = &sim::scenarios().front();
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
                options.scenario = sim::findScenario(value);
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

int list() {
    for (const sim::Scenario& scenario : sim::scenarios()) {
        std::printf("%-28.*s %.*s\n", static_cast<int>(scenario.name.size()), scenario.name.data(),
                    static_cast<int>(scenario.summary.size()), scenario.summary.data());
    }
    std::printf("%-28s %s\n", "--soak --seed N --passes N",
                "the hostile soak: seeded random worlds full of faults");
    return EXIT_SUCCESS;
}

// The module's heap in use, where this build can read it apart from the
// simulated game's own.
std::function<std::int64_t()> moduleHeapProbe() {
#ifdef _WIN32
    return sim::crtHeapInUse;
#else
    return {};
#endif
}

int run(const Options& options) {
    const std::filesystem::path binaries = sim::Game::executableFolder();
    sim::Host host;
    // A soak's trace is far too long to keep; it streams into the canonical
    // form and its digest only.
    host.tracing = !options.soak;
    sim::CanonicalTrace canonical = options.canonicalTrace.empty()
                                        ? sim::CanonicalTrace()
                                        : sim::CanonicalTrace(options.canonicalTrace);
    host.traceSink = [&canonical](const sim::TraceEntry& entry) { canonical.add(entry); };

    sim::Game game(options.game.empty() ? binaries / "game" : options.game, binaries);
    sim::Cast cast;
    std::unique_ptr<sim::Soak> soak;
    int frames = 0;
    if (options.soak) {
        soak = std::make_unique<sim::Soak>(host, options.seed, options.passes, moduleHeapProbe());
        std::printf("Game folder: %s\n", game.folder().string().c_str());
        std::printf("Loading %s for the hostile soak: seed %llu, %d passes.\n\n",
                    game.moduleName().c_str(), static_cast<unsigned long long>(options.seed),
                    options.passes);
    } else {
        cast = options.scenario->stage(host);
        frames = options.frames.value_or(options.scenario->frames);
        std::printf("Game folder: %s\n", game.folder().string().c_str());
        std::printf("Scenario %.*s: %.*s.\n", static_cast<int>(options.scenario->name.size()),
                    options.scenario->name.data(),
                    static_cast<int>(options.scenario->summary.size()),
                    options.scenario->summary.data());
        std::printf("Loading %s and running %d frames.\n\n", game.moduleName().c_str(), frames);
    }

    sim::TimelineMarks marks;
    // The module must print nothing: whatever reaches the standard streams
    // while it is loaded is caught and counted.
    sim::OutputWatch watch(game.folder().parent_path() /
                           (game.folder().filename().string() + "-module-output.txt"));
    game.loadModule();
    marks.loaded = host.trace.size();
    if (soak) {
        soak->run();
    } else {
        host.runFrames(frames);
    }
    marks.unloading = host.trace.size();
    game.unloadModule();
    const std::uintmax_t printed = watch.stop();

    if (options.trace && !options.soak) {
        std::printf("Every call the module made, frame by frame:\n\n");
        for (const std::string& line : sim::timeline(host.trace, marks)) {
            std::printf("%s\n", line.c_str());
        }
        std::printf("\n");
    }
    bool clean = true;
    if (soak) {
        for (const std::string& line : soak->report().lines()) {
            std::printf("%s\n", line.c_str());
        }
        clean = soak->report().failures.empty();
        frames = static_cast<int>(host.frame);
    } else {
        std::printf("What the module asked the game to do:\n\n");
        for (const std::string& line : sim::formatStory(sim::tellStory(host, cast))) {
            std::printf("%s\n", line.c_str());
        }
    }
    if (!options.picture.empty() && !soak) {
        // Written after the run, outside the game folder's settings, so the
        // picture is of what the module asked for and nothing else.
        std::ofstream svg(options.picture, std::ios::binary | std::ios::trunc);
        svg << sim::drawPicture(host, cast);
        if (!svg.flush()) {
            throw std::runtime_error("cannot write the picture " + options.picture.string());
        }
        std::printf("\nPicture of the run: %s\n", options.picture.string().c_str());
    }
    canonical.finish();
    std::printf("\nCanonical trace: %s\n", canonical.summary().c_str());
    const char* verdict = "unloaded cleanly";
    if (host.scriptEscaped()) {
        verdict = "let an exception escape its script";
    } else if (host.scriptRegistered() || host.keyboardRegistered()) {
        verdict = "left its script or keyboard callback registered";
    } else if (printed != 0) {
        verdict = "printed to the standard streams";
    }
    if (printed != 0) {
        std::printf("The module printed %llu bytes.\n", static_cast<unsigned long long>(printed));
    }
    std::printf("%d frames; the module %s.\n", frames, verdict);
    return clean && std::string_view(verdict) == "unloaded cleanly" ? EXIT_SUCCESS : EXIT_FAILURE;
}

} // namespace

int main(int argc, char** argv) {
    try {
        Options options;
        if (const std::optional<std::string> wrong = parse(argc, argv, options)) {
            std::fprintf(stderr, "sloshmere-sim: %s\n%s\n", wrong->c_str(), usage);
            return 2;
        }
        if (options.list) {
            return list();
        }
        if (!options.compareFirst.empty()) {
            return sim::compareCanonicalTraces(options.compareFirst, options.compareSecond,
                                               std::cout)
                       ? EXIT_SUCCESS
                       : EXIT_FAILURE;
        }
        return run(options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "sloshmere-sim: %s\n", error.what());
        return EXIT_FAILURE;
    }
}
