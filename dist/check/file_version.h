// The file version Windows shows in a file's properties, read from the file's
// version resource, so a player can tell an outdated script hook or a module
// from another download.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace sloshmere::check {

// The four numbers of a file version, most significant first.
using FileVersion = std::array<std::uint16_t, 4>;

// The file version in the file's version resource; none when the file cannot
// be read or carries no such resource.
std::optional<FileVersion> readFileVersion(const std::wstring& file);

// The version as Windows writes it: "1.0.1491.17".
std::string versionText(const FileVersion& version);

} // namespace sloshmere::check
