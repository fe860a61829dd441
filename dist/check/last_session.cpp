#include "last_session.h"

#include "log/log_names.h"

#include <cstdio>
#include <memory>
#include <string_view>

namespace sloshmere::check {

namespace {

constexpr std::size_t linesShown = 10;
// The mod keeps its log under 1 MiB; the tail of a larger file is enough.
constexpr long tailBytes = 64 * 1024;
// A line of the log is shown up to this many bytes.
constexpr std::size_t lineBytes = 300;

struct Closer {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

std::string readBytes(std::FILE* file, std::size_t most) {
    std::string bytes(most, '\0');
    bytes.resize(std::fread(bytes.data(), 1, most, file));
    return bytes;
}

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.emplace_back(line.substr(0, lineBytes));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

} // namespace

std::optional<LastSession> readLastSession() {
    const std::unique_ptr<std::FILE, Closer> file(std::fopen(logFileName, "rb"));
    if (file == nullptr) {
        return std::nullopt;
    }
    LastSession session;
    // The header's first line: the title, the version, then when it was begun.
    const std::string head = readBytes(file.get(), 256);
    const std::string first = head.substr(0, head.find_first_of("\r\n"));
    const std::string_view begunAt = logBegunWords;
    if (const std::size_t at = first.find(begunAt);
        first.starts_with(logTitle) && at != std::string::npos) {
        session.begun = first.substr(at + begunAt.size());
    }

    std::fseek(file.get(), 0, SEEK_END);
    const long size = std::ftell(file.get());
    const long from = size > tailBytes ? size - tailBytes : 0;
    std::fseek(file.get(), from, SEEK_SET);
    std::vector<std::string> lines = splitLines(readBytes(file.get(), tailBytes));
    if (from > 0 && !lines.empty()) {
        // The first line of a tail read is most likely cut.
        lines.erase(lines.begin());
    }
    const std::size_t keep = lines.size() < linesShown ? lines.size() : linesShown;
    session.lastLines.assign(lines.end() - static_cast<std::ptrdiff_t>(keep), lines.end());
    return session;
}

} // namespace sloshmere::check
