// What the log reads of the machine it is written on: the clock, the folder,
// and the versions of the game, the hook and the system.
#include "log/log_file.h"

#include "host/platform.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>

#ifndef _WIN32
#include <climits>
#include <unistd.h>
#endif

namespace sloshmere {

#ifdef _WIN32

namespace {

// The hook's file as the game folder holds it; already loaded, since it loaded us.
constexpr const wchar_t* hookFileName = L"ScriptHookRDR2.dll";

std::string utf8(const wchar_t* text, int length) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return {};
    }
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
    return out;
}

// The file version in a loaded image's version resource, read in place: a
// loaded image's resources need no VERSION.dll, so the module imports
// nothing beyond the kernel for it. Empty when it has none.
std::string versionOf(HMODULE image) {
    // The version resource is the one of id 1 (VS_VERSION_INFO).
    const HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));
    const HGLOBAL loaded = found != nullptr ? LoadResource(image, found) : nullptr;
    const auto* bytes =
        static_cast<const unsigned char*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    const DWORD size = found != nullptr ? SizeofResource(image, found) : 0;
    if (bytes == nullptr) {
        return {};
    }
    // The fixed part follows the block's header and key at a 4-byte boundary,
    // and opens with its signature.
    constexpr std::uint32_t signature = 0xFEEF04BDU;
    for (DWORD at = 0; at + 16 <= size; at += 4) {
        std::uint32_t words[4];
        std::memcpy(words, bytes + at, sizeof words);
        if (words[0] == signature) {
            char text[48];
            std::snprintf(text, sizeof text, "%u.%u.%u.%u", words[2] >> 16U, words[2] & 0xFFFFU,
                          words[3] >> 16U, words[3] & 0xFFFFU);
            return text;
        }
    }
    return {};
}

// "RDR2.exe, version 1.0.1491.17": the image's file name and version.
std::string describeImage(HMODULE image, const char* missing) {
    if (image == nullptr) {
        return missing;
    }
    wchar_t path[MAX_PATH * 2];
    const DWORD length = GetModuleFileNameW(image, path, MAX_PATH * 2);
    if (length == 0 || length >= MAX_PATH * 2) {
        return "(its file cannot be named)";
    }
    const wchar_t* name = path;
    for (DWORD i = 0; i < length; ++i) {
        if (path[i] == L'\\' || path[i] == L'/') {
            name = path + i + 1;
        }
    }
    const std::string version = versionOf(image);
    return utf8(name, static_cast<int>(path + length - name)) +
           (version.empty() ? ", no version information" : ", version " + version);
}

// Functions of ntdll looked up by name: RtlGetVersion tells the true version
// where GetVersionEx may be told to lie, and only Wine has wine_get_version.
template <typename Function>
Function* ntdllFunction(const char* name) {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const FARPROC found = ntdll != nullptr ? GetProcAddress(ntdll, name) : nullptr;
    // Through the generic function pointer type, which converts to any other.
    return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(found));
}

std::string describeSystem() {
    std::string system = "Windows";
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (auto* getVersion = ntdllFunction<LONG WINAPI(OSVERSIONINFOW*)>("RtlGetVersion");
        getVersion != nullptr && getVersion(&version) == 0) {
        char text[48];
        std::snprintf(text, sizeof text, " %lu.%lu.%lu",
                      static_cast<unsigned long>(version.dwMajorVersion),
                      static_cast<unsigned long>(version.dwMinorVersion),
                      static_cast<unsigned long>(version.dwBuildNumber));
        system += text;
    }
    if (auto* wineVersion = ntdllFunction<const char * CDECL()>("wine_get_version");
        wineVersion != nullptr) {
        const char* wine = wineVersion();
        system += " under Wine (Proton is a Wine) ";
        system += wine != nullptr ? wine : "of unknown version";
    }
    return system;
}

} // namespace

std::string currentFolder() {
    // The wide name, turned into UTF-8: a folder name in another script must
    // not come out as question marks.
    wchar_t wide[MAX_PATH * 2];
    const DWORD length = GetCurrentDirectoryW(MAX_PATH * 2, wide);
    if (length == 0 || length >= MAX_PATH * 2) {
        return {};
    }
    return utf8(wide, static_cast<int>(length));
}

SystemFacts readSystemFacts() {
    return {describeImage(GetModuleHandleW(nullptr), "(unknown)"),
            describeImage(GetModuleHandleW(hookFileName), "ScriptHookRDR2.dll is not loaded"),
            describeSystem()};
}

#else

std::string currentFolder() {
    char folder[PATH_MAX];
    return getcwd(folder, sizeof folder) != nullptr ? std::string(folder) : std::string();
}

SystemFacts readSystemFacts() {
    // The Linux build runs only in the simulated game, linked into it: there
    // is no game or hook file to read a version from, and no Windows.
    return {"none, the simulated game", "none, the simulated game's own", "not Windows"};
}

#endif

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

} // namespace sloshmere
