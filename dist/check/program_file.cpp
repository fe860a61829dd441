#include "program_file.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <cstring>

namespace sloshmere::check {

namespace {

// Where a program's headers say what they are: "MZ" at the start, the offset
// of the "PE\0\0" signature at 0x3C, the machine right after the signature.
constexpr DWORD peOffsetAt = 0x3C;
constexpr std::uint16_t amd64 = 0x8664;

// Reads `size` bytes at `offset`; false when the file is shorter.
bool readAt(HANDLE file, DWORD offset, void* into, DWORD size) {
    if (SetFilePointer(file, static_cast<LONG>(offset), nullptr, FILE_BEGIN) ==
        INVALID_SET_FILE_POINTER) {
        return false;
    }
    DWORD got = 0;
    return ReadFile(file, into, size, &got, nullptr) != 0 && got == size;
}

} // namespace

std::optional<std::string> whyNotAProgram(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::optional<std::string> wrong;
    LARGE_INTEGER size{};
    std::array<char, 2> mz{};
    std::uint32_t peOffset = 0;
    std::array<char, 4> signature{};
    std::uint16_t machine = 0;
    if (GetFileSizeEx(file, &size) != 0 && size.QuadPart == 0) {
        wrong = "empty";
    } else if (!readAt(file, 0, mz.data(), 2) || std::memcmp(mz.data(), "MZ", 2) != 0 ||
               !readAt(file, peOffsetAt, &peOffset, sizeof peOffset) ||
               !readAt(file, peOffset, signature.data(), 4) ||
               std::memcmp(signature.data(), "PE\0\0", 4) != 0 ||
               !readAt(file, peOffset + 4, &machine, sizeof machine)) {
        wrong = "not a Windows program";
    } else if (machine != amd64) {
        wrong = "not a 64-bit Windows program";
    }
    CloseHandle(file);
    return wrong;
}

} // namespace sloshmere::check
