#include "log/log_file.h"

#include "drown/pass_notes.h"

#include <cstdarg>
#include <cstdio>

namespace sloshmere {

bool logWriting = false;

namespace {

// Players read the file in Notepad on Windows.
#ifdef _WIN32
constexpr const char* lineEnd = "\r\n";
#else
constexpr const char* lineEnd = "\n";
#endif

// What became of the file in this load: a later open adds to a file begun,
// and one given up is not tried again.
enum class FileHistory : std::uint8_t { None, Begun, GivenUp };

std::FILE* file = nullptr;
FileHistory history = FileHistory::None;
// Bytes written to the file since it was begun.
std::uint64_t fileSize = 0;
LineBudget fileBudget;

// Writes `text` and a line end and hands it to the system at once, so a game
// that crashes right after still leaves the line. A full disk or a file taken
// away gives the file up rather than be tried again on every pass.
void writeText(const char* text) noexcept {
    if (file == nullptr) {
        return;
    }
    const int written = std::fprintf(file, "%s%s", text, lineEnd);
    if (written < 0 || std::fflush(file) != 0) {
        closeLogFile();
        history = FileHistory::GivenUp;
    } else {
        fileSize += static_cast<std::uint64_t>(written);
    }
}

using LineText = char[768];

// The local time, "pass N: " and the text; the length the line needs.
std::size_t stampLine(LineText& line, const char* format, va_list args) noexcept {
    const int prefix = std::snprintf(line, sizeof line, "%s pass %llu: ", localTimeNow().time,
                                     static_cast<unsigned long long>(passNotes.pass));
    const int text =
        std::vsnprintf(line + prefix, sizeof line - static_cast<std::size_t>(prefix), format, args);
    return static_cast<std::size_t>(prefix) + static_cast<std::size_t>(text);
}

// The same stamp outside the budget: the budget's own notes, the last line.
__attribute__((format(printf, 1, 2))) void logNote(const char* format, ...) noexcept {
    LineText line;
    va_list args;
    va_start(args, format);
    stampLine(line, format, args);
    va_end(args);
    writeText(line);
}

} // namespace

bool openLogFile() noexcept {
    if (history == FileHistory::GivenUp) {
        return false;
    }
    const bool fresh = history == FileHistory::None;
    if (fresh) {
        // Either step may fail when there is no earlier log, or it is
        // locked; the open below is what decides.
        std::remove(previousLogFileName);
        std::rename(logFileName, previousLogFileName);
        fileSize = 0;
        fileBudget = LineBudget{};
    }
    // Binary: the line ends are written as they are meant, and the byte
    // count is the file's size.
    file = std::fopen(logFileName, fresh ? "wb" : "ab");
    if (file == nullptr) {
        history = FileHistory::GivenUp;
        return false;
    }
    history = FileHistory::Begun;
    logWriting = true;
    return true;
}

void closeLogFile() noexcept {
    if (file != nullptr) {
        std::fclose(file);
        file = nullptr;
    }
    logWriting = false;
}

void endLogFile(const char* lastLine) noexcept {
    if (fileBudget.leftOut > 0) {
        logNote("%llu lines left out%s", static_cast<unsigned long long>(fileBudget.leftOut),
                fileBudget.full ? ", the log being full" : "");
    }
    logNote("%s", lastLine);
    closeLogFile();
    history = FileHistory::None;
}

void logRaw(const char* format, ...) noexcept {
    LineText line;
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    writeText(line);
}

void logLine(const char* format, ...) noexcept {
    if (!logWriting) {
        return;
    }
    LineText line;
    va_list args;
    va_start(args, format);
    const std::size_t length = stampLine(line, format, args);
    va_end(args);
    const std::uint64_t pending = fileBudget.leftOut;
    const bool wasFull = fileBudget.full;
    // Room for the line, and for the notice of what was left out before it.
    if (budgetTake(fileBudget, passNotes.pass, fileSize, length + (pending > 0 ? 96U : 0U))) {
        if (pending > 0) {
            logNote("%llu lines left out (at most %llu lines in any %llu passes)",
                    static_cast<unsigned long long>(pending),
                    static_cast<unsigned long long>(budgetLines),
                    static_cast<unsigned long long>(budgetPasses));
            fileBudget.leftOut = 0;
        }
        writeText(line);
    } else if (fileBudget.full && !wasFull) {
        logNote("the log has reached its limit of %llu MiB; what follows is left out",
                static_cast<unsigned long long>(logFileLimit >> 20U));
    }
}

bool budgetTake(LineBudget& budget, std::uint64_t pass, std::uint64_t fileBytes,
                std::uint64_t bytes) {
    budget.full = budget.full || fileBytes + bytes > logFileLimit - logFileReserve;
    // The oldest of the last 20 lines must lie 60 passes back or more, so no
    // window of 60 passes ever holds 21.
    std::uint64_t& oldest = budget.recent[budget.taken % budgetLines];
    if (budget.full || (budget.taken >= budgetLines && pass - oldest < budgetPasses)) {
        ++budget.leftOut;
        return false;
    }
    oldest = pass;
    ++budget.taken;
    return true;
}

} // namespace sloshmere
