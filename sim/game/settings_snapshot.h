// What stood at the settings file's name in a game folder when a run began,
// kept so that the runner can put it back when the run ends: a scenario or
// the soak may edit, delete or replace the file, and the sample the run gave
// a folder without one goes again. A game folder the caller names is theirs,
// and the next run must meet it as they left it.
#pragma once

#include <filesystem>
#include <string>

namespace sim {

class SettingsSnapshot {
public:
    // Takes what stands at Sloshmere.ini in `folder`: nothing (a folder not
    // made yet included), a file (its bytes), or a directory. Throws
    // std::runtime_error when a file stands there that cannot be read.
    explicit SettingsSnapshot(const std::filesystem::path& folder);

    // Puts it back at the same place, whatever stands there now: the same
    // bytes, nothing, or an empty directory (what a directory held is not
    // kept). Throws std::runtime_error, with the system's reason, when that
    // fails.
    void restore() const;

    // Whether what stands there now is what was taken.
    [[nodiscard]] bool standsStill() const;

private:
    enum class Found { Nothing, File, Directory };
    void take(Found& found, std::string& bytes) const;

    std::filesystem::path path_;
    Found found_ = Found::Nothing;
    std::string bytes_;
};

} // namespace sim
