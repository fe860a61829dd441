// The simulated game: loads the module into a game folder, plays a staged
// scenario (or the hostile soak) frame by frame, unloads the module and tells
// what it asked of the game. The same program on every build: on Windows it
// is sloshmere-sim.exe and loads the real Sloshmere.asi through our
// ScriptHookRDR2.dll; on Linux it is sloshmere-game with the module linked in.
// Both print the same canonical trace for the same run, which is how the two
// builds are shown to be one program.
#include "canonical.h"
#include "counted.h"
#include "game.h"
#include "game_folder.h"
#include "host.h"
#include "log/log_names.h"
#include "options.h"
#include "output_file.h"
#include "output_watch.h"
#include "picture.h"
#include "process_exit.h"
#include "scenario.h"
#include "settings_snapshot.h"
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
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

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

// What the end of a run says of the module's log: where it is, or why there
// is none.
void tellOfTheLog(const sim::Options& options, const sim::Game& game,
                  const sim::SettingsSnapshot& given) {
    const std::filesystem::path log = game.folder() / sloshmere::logFileName;
    const std::string folder = game.folder().string();
    if (std::filesystem::exists(log)) {
        if (options.game.empty()) {
            std::printf("\nThe module wrote a log, which goes with the fresh game folder; "
                        "--game FOLDER plays in a folder that keeps it.\n");
        } else {
            std::printf("\nThe module's log: %s\n", log.string().c_str());
        }
    } else if (!given.standsStill()) {
        std::printf("\nNo log in %s: the %s wrote a Sloshmere.ini of its own while it played, "
                    "without Log = 1 (what the folder held before is put back).\n",
                    folder.c_str(), options.soak ? "soak" : "scenario");
    } else {
        std::printf("\nNo log in %s: Log is off in its Sloshmere.ini, or the folder cannot be "
                    "written.\n",
                    folder.c_str());
    }
}

int play(const sim::Options& options, sim::Host& host, sim::Game& game,
         sim::CanonicalTrace& canonical, std::ofstream& svg) {
    sim::Cast cast;
    std::unique_ptr<sim::Soak> soak;
    int frames = 0;
    // The settings the module will first read, to tell at the end whether
    // the run wrote others.
    const sim::SettingsSnapshot given(game.folder());
    std::printf("Game folder: %s\n", game.folder().string().c_str());
    if (options.soak) {
        soak = std::make_unique<sim::Soak>(host, options.seed, options.passes, moduleHeapProbe());
        std::printf("Loading %s for the hostile soak: seed %llu, %s.\n\n",
                    game.moduleName().c_str(), static_cast<unsigned long long>(options.seed),
                    sim::counted(options.passes, "pass", "passes").c_str());
    } else {
        cast = options.scenario->stage(host);
        frames = options.frames.value_or(options.scenario->frames);
        std::printf("Scenario %.*s: %.*s.\n", static_cast<int>(options.scenario->name.size()),
                    options.scenario->name.data(),
                    static_cast<int>(options.scenario->summary.size()),
                    options.scenario->summary.data());
        std::printf("Loading %s and running %s.\n\n", game.moduleName().c_str(),
                    sim::counted(frames, "frame", "frames").c_str());
    }

    sim::TimelineMarks marks;
    // The module must print nothing: whatever reaches the standard streams
    // while it is loaded is caught and counted, in the game folder.
    const std::filesystem::path caught = game.folder() / "module-output.txt";
    sim::OutputWatch watch(caught);
    // A broken rule ends the run at once; its line goes to the terminal.
    host.beforeClose = [&watch] { watch.stop(); };
    const struct CloseWatch {
        explicit CloseWatch(sim::Host& owner) : host(owner) {}
        sim::Host& host;
        CloseWatch(const CloseWatch&) = delete;
        CloseWatch& operator=(const CloseWatch&) = delete;
        ~CloseWatch() { host.beforeClose = nullptr; }
    } closeWatch{host};
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
    if (svg.is_open()) {
        // Drawn after the run, from the trace alone, so the picture is of
        // what the module asked for and nothing else.
        svg << sim::drawPicture(host, cast);
        if (!svg.flush()) {
            throw std::runtime_error("cannot write the picture " + options.picture.string());
        }
        std::printf("\nPicture of the run: %s (open it in a browser)\n",
                    options.picture.string().c_str());
    }
    // What the module wrote about the run, as a player would attach it.
    tellOfTheLog(options, game, given);
    canonical.finish();
    std::printf("\nCanonical trace: %s\n", canonical.summary().c_str());
    if (!options.canonicalTrace.empty()) {
        std::printf("Its lines: %s\n", options.canonicalTrace.string().c_str());
    }
    const char* verdict = "unloaded cleanly";
    if (host.scriptEscaped()) {
        verdict = "let an exception escape its script";
    } else if (host.scriptRegistered() || host.keyboardRegistered()) {
        verdict = "left its script or keyboard callback registered";
    } else if (printed != 0) {
        verdict = "printed to the standard streams";
    }
    if (printed != 0) {
        std::printf("The module printed %s; they are in %s.\n",
                    sim::counted(static_cast<long long>(printed), "byte", "bytes").c_str(),
                    caught.string().c_str());
    }
    std::printf("%s; the module %s.\n", sim::counted(frames, "frame", "frames").c_str(), verdict);
    return clean && std::string_view(verdict) == "unloaded cleanly" ? EXIT_SUCCESS : EXIT_FAILURE;
}

int run(const sim::Options& options) {
    const std::filesystem::path binaries = sim::Game::executableFolder();
    sim::Host host;
    // A soak's trace is far too long to keep; it streams into the canonical
    // form and its digest only.
    host.tracing = !options.soak;
    // The files asked for are made before anything else, so a path that
    // cannot be written fails at once rather than after the whole run.
    sim::CanonicalTrace canonical = options.canonicalTrace.empty()
                                        ? sim::CanonicalTrace()
                                        : sim::CanonicalTrace(options.canonicalTrace);
    host.traceSink = [&canonical](const sim::TraceEntry& entry) { canonical.add(entry); };
    std::ofstream svg;
    if (!options.picture.empty()) {
        svg = sim::openOutputFile(options.picture, "the picture");
    }

    // The folder is taken as it stands before the game gives it anything:
    // a scenario or the soak may rewrite, delete or replace the settings
    // file, and the sample goes again, so what stood there goes back when
    // the run ends, however it ends. A fresh folder goes altogether.
    const bool fresh = options.game.empty();
    const std::filesystem::path folder = fresh ? sim::freshGameFolder() : options.game;
    const sim::SettingsSnapshot found(folder);
    int status = EXIT_FAILURE;
    std::exception_ptr failure;
    try {
        sim::Game game(folder, binaries);
        status = play(options, host, game, canonical, svg);
    } catch (...) {
        failure = std::current_exception();
    }
    if (fresh && !std::filesystem::exists(folder / "module-output.txt")) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    } else {
        found.restore();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return status;
}

int start(int argc, char** argv) {
    const std::string program = sim::programName(argc > 0 ? argv[0] : nullptr);
    try {
        sim::Options options;
        if (const std::optional<std::string> wrong = sim::parse(argc, argv, options)) {
            std::fprintf(stderr, "%s: %s\n%s --help lists the options.\n", program.c_str(),
                         wrong->c_str(), program.c_str());
            return 2;
        }
        if (options.help) {
            std::printf("%s", sim::usage(program).c_str());
            return EXIT_SUCCESS;
        }
        if (options.list) {
            return list();
        }
        if (const std::optional<std::string> refused =
                options.game.empty() ? std::nullopt : sim::refusal(options.game)) {
            std::fprintf(stderr, "%s: %s\n", program.c_str(), refused->c_str());
            return 2;
        }
        if (!options.compareFirst.empty()) {
            return sim::compareCanonicalTraces(options.compareFirst, options.compareSecond,
                                               std::cout)
                       ? EXIT_SUCCESS
                       : EXIT_FAILURE;
        }
        return run(options);
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s\n", program.c_str(), error.what());
        return EXIT_FAILURE;
    }
}

} // namespace

int main(int argc, char** argv) {
    // By the time start returns, the module is unloaded and every file the
    // run wrote is closed.
    sloshmere::platform::endProcess(start(argc, argv));
}
