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
#include "options.h"
#include "output_watch.h"
#include "picture.h"
#include "scenario.h"
#include "soak.h"
#include "story.h"
#include "timeline.h"

#ifdef _WIN32
#include "crt_heap.h"
#endif

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

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

int run(const sim::Options& options) {
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
    // What the module wrote about the run, as a player would attach it.
    const std::filesystem::path log = game.folder() / "Sloshmere.log";
    if (std::filesystem::exists(log)) {
        std::printf("\nThe module's log: %s\n", log.string().c_str());
    } else {
        std::printf("\nNo log in %s: Log is off in its Sloshmere.ini, or the folder cannot be "
                    "written.\n",
                    game.folder().string().c_str());
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
        sim::Options options;
        if (const std::optional<std::string> wrong = sim::parse(argc, argv, options)) {
            std::fprintf(stderr, "sloshmere-sim: %s\n%s\n", wrong->c_str(), sim::usage);
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
