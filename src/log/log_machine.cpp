// What the log reads of the machine it is written on: the clock, the folder,
// and the versions of the game, the hook and the system.
#include "log/log_file.h"

#include "host/platform.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string_view>

#ifndef _WIN32
#include <climits>
#include <unistd.h>
#endif

namespace sloshmere {

#ifdef _WIN32

namespace {

std::string utf8(std::wstring_view text) {
    const int length = static_cast<int>(text.size());
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? static_cast<std::size_t>(size) : 0U, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, out.data(), size, nullptr, nullptr);
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

} // namespace

SystemFacts readSystemFacts() {
    // The folder's wide name, turned into UTF-8: a folder name in another
    // script must not come out as question marks. The hook's file is already
    // loaded in the game folder, since it loaded us.
    wchar_t folder[MAX_PATH * 2];
    const DWORD length = GetCurrentDirectoryW(MAX_PATH * 2, folder);
    return {
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
    return {getcwd(folder, sizeof folder) != nullptr ? folder : "", "none, the simulated game",
            "none, the simulated game's own", "not Windows"};
}

#endif

LocalTime localTimeNow() noexcept {
    // Year, month, day, hour, minute, second; zeros when the clock cannot be read.
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
    LocalTime out{};
    std::snprintf(out.date, sizeof out.date, "%04u-%02u-%02u", at[0] % 10000U, at[1] % 100U,
                  at[2] % 100U);
    std::snprintf(out.time, sizeof out.time, "%02u:%02u:%02u", at[3] % 100U, at[4] % 100U,
                  at[5] % 100U);
    return out;
}

} // namespace sloshmere
