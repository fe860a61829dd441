// sloshmere-sim.exe: the simulated game. Loads the hook and Sloshmere.asi from
// a game folder, plays a typical drowning frame by frame, unloads the module
// and tells what it asked of the game; with --trace, call by call as well.
//
//   sloshmere-sim.exe [--frames N] [--game FOLDER] [--trace]
#include "game_win32.h"
#include "host.h"
#include "scenario.h"
#include "story.h"
#include "timeline.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <map>
#include <string>
#include <string_view>

namespace {

struct Options {
    int frames = sim::typicalDrowningFrames;
    std::filesystem::path game;
    bool trace = false;
};

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--frames" && i + 1 < argc) {
            char* end = nullptr;
            const long frames = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || frames < 1 || frames > 100000) {
                return false;
            }
            options.frames = static_cast<int>(frames);
        } else if (arg == "--game" && i + 1 < argc) {
            options.game = argv[++i];
        } else if (arg == "--trace") {
            options.trace = true;
        } else {
            return false;
        }
    }
    return true;
}

int run(const Options& options) {
    const std::filesystem::path binaries = sim::Game::executableFolder();
    sim::Host host;
    sim::TimelineMarks marks;
    const std::map<int, std::string> cast = sim::stageTypicalDrowning(host);

    sim::Game game(options.game.empty() ? binaries / "game" : options.game, binaries);
    std::printf("Game folder: %s\n", game.folder().string().c_str());
    std::printf("Loading %s and running %d frames.\n\n", game.modulePath().string().c_str(),
                options.frames);

    game.loadModule();
    marks.loaded = host.trace.size();
    host.runFrames(options.frames);
    marks.unloading = host.trace.size();
    game.unloadModule();

    if (options.trace) {
        std::printf("Every call the module made, frame by frame:\n\n");
        for (const std::string& line : sim::timeline(host.trace, marks)) {
            std::printf("%s\n", line.c_str());
        }
        std::printf("\n");
    }
    std::printf("What the module asked the game to do:\n\n");
    for (const std::string& line : sim::formatStory(sim::tellStory(host, cast))) {
        std::printf("%s\n", line.c_str());
    }
    const char* verdict = "unloaded cleanly";
    if (host.scriptEscaped()) {
        verdict = "let an exception escape its script";
    } else if (host.scriptRegistered() || host.keyboardRegistered()) {
        verdict = "left its script or keyboard callback registered";
    }
    std::printf("\n%d frames; the module %s.\n", options.frames, verdict);
    return std::string_view(verdict) == "unloaded cleanly" ? EXIT_SUCCESS : EXIT_FAILURE;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: sloshmere-sim.exe [--frames N] [--game FOLDER] [--trace]\n");
        return 2;
    }
    try {
        return run(options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "sloshmere-sim: %s\n", error.what());
        return EXIT_FAILURE;
    }
}
