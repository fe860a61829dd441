// What the benchmark files share with the runner that prints the summary: the
// benchmarks' names, the counters they report, and the clock they read.
#pragma once

#include <ctime>
#include <string>

namespace bench {

// Each loop pass benchmark runs a pass and then its floor in every iteration,
// on the same host, and reports both; each situation with Sloshmere.log off,
// as players get it, and on.
inline constexpr const char* situations[] = {"quiet",         "busy",         "offered",
                                             "quiet, log on", "busy, log on", "offered, log on"};
inline std::string loopPassName(const std::string& situation) {
    return "loop pass/" + situation;
}

inline constexpr const char* passMicroseconds = "pass us";
inline constexpr const char* floorMicroseconds = "floor us";
inline constexpr const char* passOverFloor = "pass/floor";
inline constexpr const char* callsPerPass = "calls/pass";
inline constexpr const char* allocationsPerPass = "allocs/pass";
inline constexpr const char* bytesPerPass = "bytes/pass";
inline constexpr const char* bytesKept = "bytes kept";

// The settings benchmark loads the file with the module and parses it with
// inih in every iteration, and reports both.
inline constexpr const char* settingsLoadName = "settings load/1 MiB";
inline constexpr const char* moduleMilliseconds = "module ms";
inline constexpr const char* inihMilliseconds = "inih ms";
inline constexpr const char* moduleOverInih = "module/inih throughput";
inline constexpr const char* fileBytes = "file bytes";

// CPU time of the calling thread: another process on the machine does not
// count against whichever side of a ratio it happens to interrupt.
inline double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A loop pass against its floor, for each situation.
void registerLoopPassBenchmarks();
// The module's settings load against inih on the same 1 MiB file.
void registerSettingsLoadBenchmarks();

} // namespace bench
