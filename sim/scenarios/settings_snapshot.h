// What stood at the settings file's name in a game folder, kept so that a run
// which edits, deletes or replaces the file can put back what it found: a
// game folder the caller names is theirs, and the next run must meet it as
// they left it.
#pragma once

#include <filesystem>
#include <string>

namespace sim {

class SettingsSnapshot {
public:
    // Takes what stands at Sloshmere.ini in the current directory: nothing,
    // a file (its bytes), or a directory. Throws std::runtime_error when a
    // file stands there that cannot be read.
    SettingsSnapshot();

    // Puts it back at the same place, whatever the current directory is now
    // and whatever stands there: the same bytes, nothing, or an empty
    // directory (what a directory held is not kept). Throws
    // std::runtime_error, with the system's reason, when that fails.
    void restore() const;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }

private:
    enum class Found { Nothing, File, Directory };
    std::filesystem::path path_;
    Found found_ = Found::Nothing;
    std::string bytes_;
};

} // namespace sim
