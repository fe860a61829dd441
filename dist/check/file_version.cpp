#include "file_version.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <winver.h>

#include <cstring>
#include <vector>

namespace sloshmere::check {

std::optional<FileVersion> readFileVersion(const std::wstring& path) {
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &unused);
    if (size == 0) {
        return std::nullopt;
    }
    std::vector<unsigned char> info(size);
    if (GetFileVersionInfoW(path.c_str(), 0, size, info.data()) == 0) {
        return std::nullopt;
    }
    void* block = nullptr;
    UINT blockSize = 0;
    if (VerQueryValueW(info.data(), L"\\", &block, &blockSize) == 0 || block == nullptr ||
        blockSize < sizeof(VS_FIXEDFILEINFO)) {
        return std::nullopt;
    }
    // Copied out: the block lies inside a byte buffer, with no promise of
    // VS_FIXEDFILEINFO's alignment.
    VS_FIXEDFILEINFO fixed{};
    std::memcpy(&fixed, block, sizeof fixed);
    constexpr DWORD signature = 0xFEEF04BDU;
    if (fixed.dwSignature != signature) {
        return std::nullopt;
    }
    const auto high = [](DWORD value) { return static_cast<std::uint16_t>(value >> 16U); };
    const auto low = [](DWORD value) { return static_cast<std::uint16_t>(value & 0xFFFFU); };
    return FileVersion{high(fixed.dwFileVersionMS), low(fixed.dwFileVersionMS),
                       high(fixed.dwFileVersionLS), low(fixed.dwFileVersionLS)};
}

std::string versionText(const FileVersion& version) {
    std::string text;
    for (const std::uint16_t part : version) {
        if (!text.empty()) {
            text += '.';
        }
        text += std::to_string(part);
    }
    return text;
}

} // namespace sloshmere::check
