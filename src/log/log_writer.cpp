#include "log/log_writer.h"

#include "drown/pass_notes.h"
#include "log/line_budget.h"
#include "log/log_file.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

namespace sloshmere {

bool logWriting = false;

namespace {

LineBudget budget;

} // namespace

void logRaw(const char* format, ...) noexcept {
    char text[768];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (!writeLogText(text)) {
        logWriting = false;
    }
}

void logLine(const char* format, ...) noexcept {
    if (!logWriting) {
        return;
    }
    char text[640];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    const LocalTime now = localTimeNow();
    const auto pass = static_cast<unsigned long long>(passNotes.pass);
    char full[704];
    const int length = std::snprintf(full, sizeof full, "%s pass %llu: %s", now.time, pass, text);
    const std::uint64_t pending = budget.leftOut;
    // Room for the line, and for the notice of what was left out before it.
    const std::uint64_t room = static_cast<std::uint64_t>(length) + (pending > 0 ? 96U : 0U);
    const bool wasFull = budget.full;
    if (!budgetTake(budget, passNotes.pass, logFileBytes(), room)) {
        if (budget.full && !wasFull) {
            logRaw("%s pass %llu: the log has reached its limit of %llu MiB; what follows is "
                   "left out",
                   now.time, pass, static_cast<unsigned long long>(logFileLimit >> 20U));
        }
        return;
    }
    if (pending > 0) {
        logRaw("%s pass %llu: %llu lines left out (at most %llu lines in any %llu passes)",
               now.time, pass, static_cast<unsigned long long>(pending),
               static_cast<unsigned long long>(budgetLines),
               static_cast<unsigned long long>(budgetPasses));
        budget.leftOut = 0;
    }
    logRaw("%s", full);
}

void resetLineBudget() noexcept {
    budget = LineBudget{};
}

void logLeftOut() noexcept {
    if (budget.leftOut == 0) {
        return;
    }
    const LocalTime now = localTimeNow();
    logRaw("%s pass %llu: %llu lines left out%s", now.time,
           static_cast<unsigned long long>(passNotes.pass),
           static_cast<unsigned long long>(budget.leftOut),
           budget.full ? ", the log being full" : "");
    budget.leftOut = 0;
}

} // namespace sloshmere
