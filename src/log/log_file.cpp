#include "log/log_file.h"

#include "host/platform.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#ifndef _WIN32
#include <climits>
#include <unistd.h>
#endif

namespace sloshmere {

namespace {

// Players read the file in Notepad on Windows.
#ifdef _WIN32
constexpr const char* lineEnd = "\r\n";
#else
constexpr const char* lineEnd = "\n";
#endif

std::FILE* file = nullptr;
bool givenUp = false;
std::uint64_t bytes = 0;

void giveUp() noexcept {
    if (file != nullptr) {
        std::fclose(file);
        file = nullptr;
    }
    givenUp = true;
}

} // namespace

bool openLogFile(bool fresh) noexcept {
    if (givenUp) {
        return false;
    }
    if (file != nullptr) {
        return true;
    }
    if (fresh) {
        // Either step may fail when there is no earlier log, or it is
        // locked; the open below is what decides.
        std::remove(previousLogFileName);
        std::rename(logFileName, previousLogFileName);
        bytes = 0;
    }
    // Binary: the line ends are written as they are meant, and the byte
    // count is the file's size.
    file = std::fopen(logFileName, fresh ? "wb" : "ab");
    if (file == nullptr) {
        giveUp();
        return false;
    }
    return true;
}

bool writeLogText(const char* text) noexcept {
    if (file == nullptr) {
        return false;
    }
    const std::size_t length = std::strlen(text);
    const std::size_t endLength = std::strlen(lineEnd);
    if (std::fwrite(text, 1, length, file) != length ||
        std::fwrite(lineEnd, 1, endLength, file) != endLength || std::fflush(file) != 0) {
        // A full disk or a file taken away: give up rather than try again
        // on every pass.
        giveUp();
        return false;
    }
    bytes += length + endLength;
    return true;
}

void closeLogFile() noexcept {
    if (file != nullptr) {
        std::fclose(file);
        file = nullptr;
    }
}

bool logFileOpen() noexcept {
    return file != nullptr;
}

std::uint64_t logFileBytes() noexcept {
    return bytes;
}

void resetLogFile() noexcept {
    closeLogFile();
    givenUp = false;
    bytes = 0;
}

LocalTime localTimeNow() noexcept {
    unsigned year = 0;
    unsigned month = 0;
    unsigned day = 0;
    unsigned hour = 0;
    unsigned minute = 0;
    unsigned second = 0;
#ifdef _WIN32
    SYSTEMTIME now{};
    GetLocalTime(&now);
    year = now.wYear;
    month = now.wMonth;
    day = now.wDay;
    hour = now.wHour;
    minute = now.wMinute;
    second = now.wSecond;
#else
    const std::time_t seconds = std::time(nullptr);
    std::tm parts{};
    if (localtime_r(&seconds, &parts) != nullptr) {
        year = static_cast<unsigned>(parts.tm_year + 1900);
        month = static_cast<unsigned>(parts.tm_mon + 1);
        day = static_cast<unsigned>(parts.tm_mday);
        hour = static_cast<unsigned>(parts.tm_hour);
        minute = static_cast<unsigned>(parts.tm_min);
        second = static_cast<unsigned>(parts.tm_sec);
    }
#endif
    LocalTime out{};
    std::snprintf(out.date, sizeof out.date, "%04u-%02u-%02u", year % 10000U, month % 100U,
                  day % 100U);
    std::snprintf(out.time, sizeof out.time, "%02u:%02u:%02u", hour % 100U, minute % 100U,
                  second % 100U);
    return out;
}

std::string currentFolder() {
#ifdef _WIN32
    // The wide name, turned into UTF-8: a folder name in another script must
    // not come out as question marks.
    wchar_t wide[MAX_PATH * 2];
    const DWORD length = GetCurrentDirectoryW(MAX_PATH * 2, wide);
    if (length == 0 || length >= MAX_PATH * 2) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0,
                                         nullptr, nullptr);
    if (size <= 0) {
        return {};
    }
    std::string folder(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), folder.data(), size, nullptr,
                        nullptr);
    return folder;
#else
    char folder[PATH_MAX];
    return getcwd(folder, sizeof folder) != nullptr ? std::string(folder) : std::string();
#endif
}

} // namespace sloshmere
