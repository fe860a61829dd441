#include "canonical.h"

#include "output_file.h"

#include <cstdio>
#include <ostream>
#include <stdexcept>

namespace sim {

namespace {

constexpr const char* hexDigits = "0123456789ABCDEF";

// Upper-case hex without leading zeros, as printf's %llX writes it; by hand,
// because a soak formats millions of slots and printf was a third of its time.
void appendHex(std::string& out, std::uint64_t value) {
    char buffer[16];
    char* const end = buffer + sizeof buffer;
    char* at = end;
    do {
        *--at = hexDigits[value & 0xFU];
        value >>= 4U;
    } while (value != 0);
    out.append(at, end);
}

// Quoted, with every byte outside printable ASCII (and the quote and
// backslash) as \xNN, so a line holds no line end and no runtime's idea of
// a character set.
void appendQuoted(std::string& out, const std::string& text) {
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E || c == '"' || c == '\\') {
            out += "\\x";
            out += hexDigits[byte >> 4U];
            out += hexDigits[byte & 0xFU];
        } else {
            out += c;
        }
    }
    out += '"';
}

char kindLetter(TraceEntry::Kind kind) {
    switch (kind) {
    case TraceEntry::Kind::Native:
        return 'N';
    case TraceEntry::Kind::Wait:
        return 'W';
    case TraceEntry::Kind::GetAllPeds:
        return 'P';
    case TraceEntry::Kind::ScriptRegister:
        return 'R';
    case TraceEntry::Kind::ScriptUnregister:
        return 'U';
    case TraceEntry::Kind::KeyboardRegister:
        return 'K';
    case TraceEntry::Kind::KeyboardUnregister:
        return 'k';
    case TraceEntry::Kind::Restart:
        return 'X';
    }
    return '?';
}

} // namespace

std::string canonicalLine(const TraceEntry& entry) {
    std::string out;
    out.reserve(96);
    out += kindLetter(entry.kind);
    out += ' ';
    out += std::to_string(entry.frame);
    out += ' ';
    out += std::to_string(entry.gameTime);
    out += ' ';
    appendHex(out, entry.hash);
    for (std::size_t i = 0; i < entry.args.size(); ++i) {
        out += ' ';
        const ArgKind kind = i < entry.argKinds.size() ? entry.argKinds[i] : ArgKind::Raw;
        if (kind == ArgKind::String) {
            // The address differs from build to build; the text behind it
            // is what the module sent.
            appendQuoted(out, entry.stringArg(i));
        } else if (kind == ArgKind::Address) {
            out += '&';
        } else {
            appendHex(out, entry.args[i]);
        }
    }
    out += " =";
    for (const std::uint64_t slot : entry.result) {
        out += ' ';
        appendHex(out, slot);
    }
    if (!entry.note.empty()) {
        out += " ; ";
        out += entry.note;
    }
    return out;
}

CanonicalTrace::CanonicalTrace(const std::filesystem::path& path)
    : path_(path), file_(openOutputFile(path, "the canonical trace")) {}

void CanonicalTrace::finish() {
    if (file_.is_open() && !file_.flush()) {
        throw std::runtime_error("cannot write the canonical trace " + path_.string());
    }
}

void CanonicalTrace::add(const TraceEntry& entry) {
    addLine(canonicalLine(entry));
}

void CanonicalTrace::addLine(std::string_view line) {
    const auto mix = [this](char c) {
        digest_ ^= static_cast<unsigned char>(c);
        digest_ *= 0x100000001B3ULL;
    };
    for (const char c : line) {
        mix(c);
    }
    mix('\n');
    ++lines_;
    if (file_.is_open()) {
        file_.write(line.data(), static_cast<std::streamsize>(line.size()));
        file_.put('\n');
    }
}

std::string CanonicalTrace::summary() const {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "lines %llu, digest %016llX",
                  static_cast<unsigned long long>(lines_),
                  static_cast<unsigned long long>(digest_));
    return buffer;
}

bool compareCanonicalTraces(const std::filesystem::path& first, const std::filesystem::path& second,
                            std::ostream& out) {
    std::ifstream a(first, std::ios::binary);
    std::ifstream b(second, std::ios::binary);
    if (!a || !b) {
        out << "cannot read " << (!a ? first : second).string() << "\n";
        return false;
    }
    // The digest of the lines as they are read, the one the run that wrote
    // them printed, so a verdict of "the same" names what was the same.
    CanonicalTrace same;
    std::string lineA;
    std::string lineB;
    std::string before = "(none: the first call)";
    for (std::uint64_t number = 1;; ++number) {
        const bool moreA = static_cast<bool>(std::getline(a, lineA));
        const bool moreB = static_cast<bool>(std::getline(b, lineB));
        if (!moreA && !moreB) {
            char digest[20];
            std::snprintf(digest, sizeof digest, "%016llX",
                          static_cast<unsigned long long>(same.digest()));
            out << "the same: " << same.lines() << (same.lines() == 1 ? " line" : " lines")
                << ", digest " << digest << "\n";
            return true;
        }
        if (moreA != moreB || lineA != lineB) {
            out << "the traces part at call " << number << "\n"
                << "  call before, in both: " << before << "\n"
                << "  " << first.string() << ": " << (moreA ? lineA : "(ended)") << "\n"
                << "  " << second.string() << ": " << (moreB ? lineB : "(ended)") << "\n";
            return false;
        }
        same.addLine(lineA);
        before = std::move(lineA);
        lineA.clear();
    }
}

} // namespace sim
