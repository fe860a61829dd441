// Sloshmere.log itself, in the game folder beside Sloshmere.ini: its lines
// under their budget, and what the log reads of the machine. A file that
// cannot be written is given up for the load, silently: the game must never
// notice the log.
#pragma once

#include "log/log_names.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sloshmere {

// True while the log is on: the file is open for writing.
extern bool logWriting;

// The first open of a load keeps the last file as Sloshmere.previous.log and
// begins an empty one with a fresh budget; a later one adds to the end. False,
// and given up until endLogFile, when it cannot be opened.
bool openLogFile() noexcept;
void closeLogFile() noexcept;
// The lines the budget left out, if any, and `lastLine`, while the log is on;
// then forgets everything, as a new load of the module starts.
void endLogFile(const char* lastLine) noexcept;

// A line under the budget: the local time, "pass N: " and the text; logRaw
// writes the text alone, outside it (the header).
__attribute__((format(printf, 1, 2))) void logLine(const char* format, ...) noexcept;
__attribute__((format(printf, 1, 2))) void logRaw(const char* format, ...) noexcept;

// How many lines the log may write: at most 20 in any 60 loop passes, and a
// file of at most 1 MiB. Counted in passes, not by the clock, so a run in the
// simulated game logs the same lines however fast it plays.
inline constexpr std::size_t budgetLines = 20;
inline constexpr std::uint64_t budgetPasses = 60;
inline constexpr std::uint64_t logFileLimit = 1U << 20U;
// Kept free below the limit for the lines outside the budget: that the file
// is full, the lines left out and the last line. A header begun again in the
// same load may pass the limit.
inline constexpr std::uint64_t logFileReserve = 200;

struct LineBudget {
    // The passes of the last lines written, the oldest at taken % budgetLines.
    std::array<std::uint64_t, budgetLines> recent{};
    std::uint64_t taken = 0;
    // Lines refused since the last one written.
    std::uint64_t leftOut = 0;
    // Once the file has no room left, nothing more is written under the budget.
    bool full = false;
};

// Whether a line of `bytes` may go into a file that holds `fileBytes`, in
// pass `pass`; counts it as written when it may, as left out when not.
bool budgetTake(LineBudget& budget, std::uint64_t pass, std::uint64_t fileBytes,
                std::uint64_t bytes);

// What a bug report needs of the machine, read without asking the game: the
// local "YYYY-MM-DD hh:mm:ss", the game folder in UTF-8 (empty if unreadable),
// the game's and the hook's files ("RDR2.exe, version 1.0.1491.17") and the
// system ("Windows 10.0.19045", then " under Wine (Proton is a Wine) 9.0").
struct SystemFacts {
    std::string now;
    std::string folder;
    std::string game;
    std::string hook;
    std::string system;
};
SystemFacts readSystemFacts();

} // namespace sloshmere
