// The trace in one canonical text form, the same on every build of the
// simulated host: each call as its hash, its argument slots in hex (the text
// behind a string argument instead of its address, an address argument as
// "&" with what the handler read behind it in the note), its three result
// slots in hex, and the handler's note. Two builds of the module that send
// the same calls print the same lines, so the lines can be compared across
// runtimes and their digest stands for the whole run.
#pragma once

#include "trace.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iosfwd>
#include <string>
#include <string_view>

namespace sim {

// One entry as a line, without the line end, e.g.
// `N 20 3600660 FD340785ADF8CFB7 "p_watertrough01x" = 5D8B9E0B 0 0`.
std::string canonicalLine(const TraceEntry& entry);

// Writes canonical lines to a file (when one is named) and keeps a digest of
// them as they go: FNV-1a, 64 bits, over every line and its '\n'.
class CanonicalTrace {
public:
    CanonicalTrace() = default;
    // Lines go to `path` too; throws std::runtime_error when it cannot be made.
    explicit CanonicalTrace(const std::filesystem::path& path);

    void add(const TraceEntry& entry);
    // A line already in canonical form, without its line end.
    void addLine(std::string_view line);
    [[nodiscard]] std::uint64_t digest() const { return digest_; }
    [[nodiscard]] std::uint64_t lines() const { return lines_; }
    // "lines 1234, digest 0123456789ABCDEF".
    [[nodiscard]] std::string summary() const;
    // Writes out what is still buffered; throws std::runtime_error, naming
    // the file, when any line could not be written.
    void finish();

private:
    std::filesystem::path path_;
    std::ofstream file_;
    std::uint64_t digest_ = 0xCBF29CE484222325ULL;
    std::uint64_t lines_ = 0;
};

// Compares two canonical trace files line by line. When they are the same,
// writes "the same: N lines, digest D" to `out` and returns true; otherwise
// writes the first differing line of each, with the line before it, and
// returns false.
bool compareCanonicalTraces(const std::filesystem::path& first, const std::filesystem::path& second,
                            std::ostream& out);

} // namespace sim
