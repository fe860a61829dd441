#include "log/log_file.h"

#include "drown/pass_notes.h"
#include "host/platform.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string_view>

#ifndef _WIN32
#include <climits>
#include <unistd.h>
#endif

namespace sloshmere {

bool logWriting = false;

namespace {

// Players read the file in Notepad on Windows.
#ifdef _WIN32
constexpr const char* lineEnd = "\r\n";

std::string utf8(std::wstring_view text) {
    const int length = static_cast<int>(text.size());
    std::string out(text.size() * 3, '\0'); // at most three bytes a UTF-16 unit
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, out.data(), length * 3,
                                         nullptr, nullptr);
    out.resize(size > 0 ? static_cast<std::size_t>(size) : 0U);
    return out;
}

// The file version in a loaded image's version resource (id 1, type 16), read
// in place: a loaded image's resources need no VERSION.dll, so the module
// imports nothing beyond the kernel for it. The fixed part lies at a 4-byte
// boundary and opens with its signature.
std::string versionOf(HMODULE image) {
    const HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));
    const HGLOBAL loaded = found != nullptr ? LoadResource(image, found) : nullptr;
    const auto* bytes =
        static_cast<const unsigned char*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    const DWORD size = bytes != nullptr ? SizeofResource(image, found) : 0;
    for (DWORD at = 0; at + 16 <= size; at += 4) {
        std::array<std::uint32_t, 4> words{};
        std::memcpy(words.data(), bytes + at, sizeof words);
        if (words[0] == 0xFEEF04BDU) {
            char text[64];
            std::snprintf(text, sizeof text, ", version %u.%u.%u.%u", words[2] >> 16U,
                          words[2] & 0xFFFFU, words[3] >> 16U, words[3] & 0xFFFFU);
            return text;
        }
    }
    return ", no version information";
}

std::string describeImage(HMODULE image, const char* missing) {
    if (image == nullptr) {
        return missing;
    }
    wchar_t path[MAX_PATH * 2];
    const DWORD length = GetModuleFileNameW(image, path, MAX_PATH * 2);
    if (length == 0 || length >= MAX_PATH * 2) {
        return "(its file cannot be named)";
    }
    const std::wstring_view full(path, length);
    const std::wstring_view name = full.substr(full.find_last_of(L"\\/") + 1);
    return utf8(name) + versionOf(image);
}

// A function of ntdll looked up by name, through the generic function pointer
// type, which converts to any other: RtlGetVersion tells the true version
// where GetVersionEx may be told to lie, and only Wine has wine_get_version.
template <typename Function>
Function* ntdllFunction(const char* name) {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const FARPROC found = ntdll != nullptr ? GetProcAddress(ntdll, name) : nullptr;
    return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(found));
}

std::string describeSystem() {
    char system[48] = "Windows";
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (auto* getVersion = ntdllFunction<LONG WINAPI(OSVERSIONINFOW*)>("RtlGetVersion");
        getVersion != nullptr && getVersion(&version) == 0) {
        std::snprintf(system, sizeof system, "Windows %lu.%lu.%lu", version.dwMajorVersion,
                      version.dwMinorVersion, version.dwBuildNumber);
    }
    if (auto* wine = ntdllFunction<const char * CDECL()>("wine_get_version"); wine != nullptr) {
        const char* named = wine();
        return std::string(system) + " under Wine (Proton is a Wine) " +
               (named != nullptr ? named : "of unknown version");
    }
    return system;
}

#else
constexpr const char* lineEnd = "\n";
#endif

// The local date and time, "YYYY-MM-DD hh:mm:ss"; zeros when the clock cannot be read.
std::array<char, 20> localTimeNow() noexcept {
    std::array<unsigned, 6> at{};
#ifdef _WIN32
    SYSTEMTIME now{};
    GetLocalTime(&now);
    at = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
#else
    const std::time_t seconds = std::time(nullptr);
    if (std::tm parts{}; localtime_r(&seconds, &parts) != nullptr) {
        at = {static_cast<unsigned>(parts.tm_year + 1900), static_cast<unsigned>(parts.tm_mon + 1),
              static_cast<unsigned>(parts.tm_mday),        static_cast<unsigned>(parts.tm_hour),
              static_cast<unsigned>(parts.tm_min),         static_cast<unsigned>(parts.tm_sec)};
    }
#endif
    std::array<char, 20> out{};
    std::snprintf(out.data(), out.size(), "%04u-%02u-%02u %02u:%02u:%02u", at[0] % 10000U,
                  at[1] % 100U, at[2] % 100U, at[3] % 100U, at[4] % 100U, at[5] % 100U);
    return out;
}

// What became of the file in this load: a later open adds to a file begun,
// and one given up is not tried again.
enum class FileHistory : std::uint8_t { None, Begun, GivenUp };

std::FILE* file = nullptr;
FileHistory history = FileHistory::None;
std::uint64_t fileSize = 0; // since the file was begun
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
    // The time alone, after the date and its space.
    const int prefix =
        std::snprintf(line, sizeof line, "%s pass %llu: ", localTimeNow().data() + 11,
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

#ifdef _WIN32
SystemFacts readSystemFacts() {
    // The folder's wide name, turned into UTF-8: a folder name in another
    // script must not come out as question marks. The hook's file is already
    // loaded in the game folder, since it loaded us.
    wchar_t folder[MAX_PATH * 2];
    const DWORD length = GetCurrentDirectoryW(MAX_PATH * 2, folder);
    return {
        localTimeNow().data(),
        length == 0 || length >= MAX_PATH * 2 ? std::string() : utf8({folder, length}),
        describeImage(GetModuleHandleW(nullptr), "(unknown)"),
        describeImage(GetModuleHandleW(L"ScriptHookRDR2.dll"), "ScriptHookRDR2.dll is not loaded"),
        describeSystem()};
}

#else
SystemFacts readSystemFacts() {
    // The Linux build runs only in the simulated game, linked into it: there
    // is no game or hook file to read a version from, and no Windows.
    char folder[PATH_MAX];
    return {localTimeNow().data(), getcwd(folder, sizeof folder) != nullptr ? folder : "",
            "none, the simulated game", "none, the simulated game's own", "not Windows"};
}

#endif

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
    history = file != nullptr ? FileHistory::Begun : FileHistory::GivenUp;
    logWriting = file != nullptr;
    return logWriting;
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
