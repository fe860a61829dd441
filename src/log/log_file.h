// The log file itself, Sloshmere.log in the game folder (the current
// directory, where Sloshmere.ini is read from), and the clock and folder
// names its lines carry. A file that cannot be written is given up for the
// rest of the load, silently: the game must never notice the log.
#pragma once

#include "log/log_names.h"

#include <cstdint>
#include <string>

namespace sloshmere {

// Opens the log for writing. `fresh` keeps the last file as
// Sloshmere.previous.log and begins an empty one; otherwise lines are added
// to the end. False, and given up for good, when it cannot be opened; once
// given up, false at once until resetLogFile.
bool openLogFile(bool fresh) noexcept;

// Writes `text` and a line end and hands it to the system at once, so a game
// that crashes right after still leaves the line. False, and the file given
// up, when the write fails.
bool writeLogText(const char* text) noexcept;

// Closes the file if it is open.
void closeLogFile() noexcept;

// Whether the file is open for writing.
bool logFileOpen() noexcept;
// Bytes written to the file since it was opened fresh.
std::uint64_t logFileBytes() noexcept;
// Forgets everything, as a new load of the module starts.
void resetLogFile() noexcept;

// The local date and time as "YYYY-MM-DD hh:mm:ss", and the time alone.
struct LocalTime {
    char date[11];
    char time[9];
};
LocalTime localTimeNow() noexcept;

// The current directory, the game folder, in UTF-8; empty if it cannot be read.
std::string currentFolder();

} // namespace sloshmere
