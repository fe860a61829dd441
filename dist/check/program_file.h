// Whether a file the game loads is a 64-bit Windows program at all: a failed
// download or a renamed text file has the right name and nothing else.
#pragma once

#include <optional>
#include <string>

namespace sloshmere::check {

// Why `path` is not a 64-bit Windows program, in a few words ("empty", "not a
// Windows program", "not a 64-bit Windows program"); none when it is one, or
// when it cannot be read (the presence check tells that).
std::optional<std::string> whyNotAProgram(const std::wstring& path);

} // namespace sloshmere::check
