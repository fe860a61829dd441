// The mod's own log of the last game session, Sloshmere.log, read back for the
// report: when that session began and how it ended.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sloshmere::check {

struct LastSession {
    // The date and time the log's header gives, or empty when it has none.
    std::string begun;
    // The log's last lines, at most ten, oldest first.
    std::vector<std::string> lastLines;
};

// Reads Sloshmere.log in the current directory; none when there is none.
std::optional<LastSession> readLastSession();

} // namespace sloshmere::check
