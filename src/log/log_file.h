// Sloshmere.log itself, in the game folder (the current directory, where
// Sloshmere.ini is read from): the lines written to it under their budget,
// and what the log reads of the machine it is written on. A file that cannot
// be written is given up for the rest of the load, silently: the game must
// never notice the log.
#pragma once

#include "log/log_names.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sloshmere {

// True while the log is on: the file is open for writing. The one test a
// loop pass makes for the log.
extern bool logWriting;

// Opens the log for writing: the first open of a load keeps the last file as
// Sloshmere.previous.log and begins an empty one with a fresh budget; a later
// one adds to the end. False, and given up until resetLogFile, when it cannot
// be opened.
bool openLogFile() noexcept;

// Closes the file if it is open; the log is off until it is opened again.
void closeLogFile() noexcept;

// Forgets everything, as a new load of the module starts.
void resetLogFile() noexcept;

// One line under the budget: the local time, "pass N: " and the text. A
// failed write gives the file up.
__attribute__((format(printf, 1, 2))) void logLine(const char* format, ...) noexcept;

// One line straight into the file, outside the budget: the header and the
// lines that account for the budget itself.
__attribute__((format(printf, 1, 2))) void logRaw(const char* format, ...) noexcept;

// How many lines the budget left out since the last one written, told
// outside the budget; nothing when none were.
void logLeftOut() noexcept;

// How many lines the log may write: at most 20 in any 60 loop passes, and a
// file of at most 1 MiB. Counted in passes, not by the clock, so a run in the
// simulated game logs the same lines however fast it plays.
inline constexpr std::size_t budgetLines = 20;
inline constexpr std::uint64_t budgetPasses = 60;
inline constexpr std::uint64_t logFileLimit = 1U << 20U;
// Kept free below the limit for the lines written outside the budget once it
// is reached: the notice that the file is full, the count of lines left out
// and the last line at unload. The header of a log begun again in the same
// load is written outside the budget too, past the limit if it must.
inline constexpr std::uint64_t logFileReserve = 200;

struct LineBudget {
    // The passes of the last budgetLines lines written, oldest at `next`.
    std::array<std::uint64_t, budgetLines> recent{};
    std::size_t written = 0;
    std::size_t next = 0;
    // Lines refused since the last one written.
    std::uint64_t leftOut = 0;
    // Once the file has no room left, nothing more is written under the budget.
    bool full = false;
};

// Whether a line of `bytes` may go into a file that holds `fileBytes`, in
// pass `pass`; counts it as written when it may, as left out when not.
bool budgetTake(LineBudget& budget, std::uint64_t pass, std::uint64_t fileBytes,
                std::uint64_t bytes);

// The local date and time as "YYYY-MM-DD hh:mm:ss", and the time alone.
struct LocalTime {
    char date[11];
    char time[9];
};
LocalTime localTimeNow() noexcept;

// The current directory, the game folder, in UTF-8; empty if it cannot be read.
std::string currentFolder();

// What a bug report needs to know of the machine: the game's and the script
// hook's file versions, and the system, Windows or Wine. Read from the files
// and the system alone: the game is asked nothing.
struct SystemFacts {
    // The game's executable and the script hook, each as its file name and
    // file version ("RDR2.exe, version 1.0.1491.17").
    std::string game;
    std::string hook;
    // "Windows 10.0.19045", with " under Wine 9.0" when Wine (or Proton, a
    // Wine) runs it.
    std::string system;
};
SystemFacts readSystemFacts();

} // namespace sloshmere
