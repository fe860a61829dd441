#include "options.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <vector>

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

// An option that the rest of the command line would leave unused, named
// rather than ignored. `seen` holds the options given, without their values.
std::optional<std::string> conflict(const std::vector<std::string>& seen, const Options& options) {
    const auto given = [&seen](std::string_view option) {
        return std::find(seen.begin(), seen.end(), option) != seen.end();
    };
    const bool plays = !options.list && options.compareFirst.empty();
    for (const char* option : {"--scenario", "--soak", "--seed", "--passes", "--frames", "--game",
                               "--trace", "--canonical-trace", "--picture"}) {
        if (given(option) && !plays && !options.help) {
            return std::string(option) + " is for a run; " +
                   (options.list ? "--list" : "--compare") + " plays nothing";
        }
    }
    if (options.list && !options.compareFirst.empty()) {
        return "--list and --compare are two commands; give one";
    }
    for (const char* option : {"--seed", "--passes"}) {
        if (given(option) && !options.soak) {
            return std::string(option) + " is the soak's; add --soak";
        }
    }
    for (const char* option : {"--scenario", "--frames", "--picture", "--trace"}) {
        if (given(option) && options.soak) {
            return std::string(option) +
                   " is for a scenario; the soak keeps no trace and has no picture";
        }
    }
    return std::nullopt;
}

} // namespace

std::string programName(const char* argv0) {
    std::string name =
        argv0 == nullptr ? std::string() : std::filesystem::path(argv0).filename().string();
    // Wine and Windows shells may hand over the path with backslashes.
    if (const std::size_t slash = name.find_last_of("\\/"); slash != std::string::npos) {
        name.erase(0, slash + 1);
    }
    if (name.size() > 4) {
        std::string extension = name.substr(name.size() - 4);
        for (char& c : extension) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (extension == ".exe") {
            name.resize(name.size() - 4);
        }
    }
    return name.empty() ? "sloshmere-game" : name;
}

std::string usage(std::string_view program) {
    const std::string name(program);
    const std::string under(name.size(), ' ');
    std::string out = "usage: " + name;
    out += " [--scenario NAME | --soak [--seed N] [--passes N]] [--frames N] [--game FOLDER]\n";
    out += "       " + under + " [--trace] [--canonical-trace FILE] [--picture FILE.svg]\n";
    out += "       " + name + " --list\n";
    out += "       " + name + " --compare FILE FILE\n\n";
    out +=
        "  --scenario NAME         play the staged scenario NAME (default: typical-drowning)\n"
        "  --soak                  play the hostile soak: seeded random worlds full of faults\n"
        "  --seed N                the soak's seed (default: 1)\n"
        "  --passes N              the soak's loop passes (default: 20000)\n"
        "  --frames N              play N frames instead of the scenario's own number\n"
        "  --game FOLDER           play in FOLDER and keep the module's log there\n"
        "  --trace                 print every call the module made, frame by frame\n"
        "  --canonical-trace FILE  write the run's canonical trace to FILE\n"
        "  --picture FILE.svg      draw the scenario's run as a picture into FILE.svg\n"
        "  --list                  name every scenario, one line each\n"
        "  --compare FILE FILE     compare two canonical traces; exit 0 when they are the same\n"
        "  -h, --help              print this and exit\n\n"
        "A --game folder is the caller's. It plays with its own Sloshmere.ini, or else with\n"
        "the sample (Log = 1) for this run only; when the run ends the folder holds what it\n"
        "held, byte for byte, and the module's Sloshmere.log (Sloshmere.previous.log, the one\n"
        "before). The hook and the module load from beside this program, never from the\n"
        "folder, and a folder holding a game (RDR2.exe) or a script hook (ScriptHookRDR2.dll)\n"
        "is refused before anything is touched.\n"
        "Without --game: a fresh folder under the temporary folder, removed when the run ends.\n";
    return out;
}

std::optional<std::string> parse(int argc, char** argv, Options& options) {
    options.scenario = &scenarios().front();
    std::vector<std::string> seen;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        seen.push_back(arg);
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
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else {
            return "unknown option \"" + arg + "\"";
        }
    }
    return conflict(seen, options);
}

} // namespace sim
