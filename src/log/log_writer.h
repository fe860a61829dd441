// Writing the log's lines: each under the budget, with the local time and the
// pass in front, and the few lines that stand outside it.
#pragma once

namespace sloshmere {

// True while the log is being written: the one test a loop pass makes for it.
extern bool logWriting;

// One line under the budget: the local time, "pass N: " and the text. A
// failed write ends the log for the load.
__attribute__((format(printf, 1, 2))) void logLine(const char* format, ...) noexcept;

// One line straight into the file, outside the budget: the header and the
// lines that account for the budget itself.
__attribute__((format(printf, 1, 2))) void logRaw(const char* format, ...) noexcept;

// Forgets the lines counted so far, as a fresh file begins.
void resetLineBudget() noexcept;

// How many lines the budget left out since the last one written, told
// outside the budget; nothing when none were.
void logLeftOut() noexcept;

} // namespace sloshmere
