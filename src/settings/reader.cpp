#include "settings/reader.h"

#include <algorithm>

namespace sloshmere {

namespace {

// Exactly the six blanks of the C locale; 0xA0 and the bytes of a UTF-8
// byte-order mark are ordinary bytes here.
constexpr std::string_view blanks = " \t\n\r\f\v";

// The same cut as trim, on a view, so a parsed line's pieces are copied once.
std::string_view trimView(std::string_view text) {
    text.remove_suffix(text.size() - (text.find_last_not_of(blanks) + 1));
    text.remove_prefix(std::min(text.find_first_not_of(blanks), text.size()));
    return text;
}

} // namespace

std::string trim(std::string text) {
    text.erase(text.find_last_not_of(blanks) + 1);
    text.erase(0, text.find_first_not_of(blanks));
    return text;
}

std::string replaceAll(std::string text, std::string_view pattern, std::string_view replacement) {
    if (pattern.empty()) {
        return text;
    }
    for (auto at = text.find(pattern); at != std::string::npos;
         at = text.find(pattern, at + replacement.size())) {
        text.replace(at, pattern.size(), replacement);
    }
    return text;
}

void SettingsReader::FileCloser::operator()(std::FILE* stream) const noexcept {
    // A failure to close changes nothing about the bytes already read.
    std::fclose(stream);
}

// Binary mode: Windows would otherwise turn CR LF into LF and stop at a
// Ctrl-Z byte, and the reader's own rules for line ends must see every byte.
SettingsReader::SettingsReader(const std::string& path) : file(std::fopen(path.c_str(), "rb")) {}

bool SettingsReader::read(SettingsDocument& document) {
    if (file == nullptr) {
        return false;
    }
    // Where key lines go; none before the first header. A header is the only
    // line that can add a section, so the pointer stays valid until the next.
    SettingsSection* section = nullptr;
    std::string name;
    std::string value;
    for (auto& line : readLines()) {
        switch (parseLine(std::move(line), name, value)) {
        case LineKind::Section:
            // A repeated header finds the section it named before, so both
            // headers' keys end up in one place, at its first position.
            section = &document.getOrInsert(name);
            break;
        case LineKind::KeyValue:
            // Keys before the first header belong to no section and are dropped.
            if (section != nullptr) {
                section->getOrInsert(name) = std::move(value);
            }
            break;
        case LineKind::None:
        case LineKind::Comment:
        case LineKind::Unrecognised:
            break;
        }
    }
    return true;
}

std::vector<std::string> SettingsReader::readLines() {
    // The size a seek to the end reports is not to be trusted: a directory
    // opens on Linux and reports an enormous one, a pipe or /proc file none at
    // all, and a file can shrink while it is read. So the buffer is never
    // sized from it: each read lands straight in the buffer and asks for as
    // much again as has arrived (4 KiB at first, 1 MiB at most), the buffer
    // keeps only what arrived, and a short read (end of file, or an error
    // such as reading a directory) ends the input.
    constexpr std::size_t firstRead = 4096;
    constexpr std::size_t largestRead = 1U << 20U;
    std::string bytes;
    if (file != nullptr) {
        for (;;) {
            const std::size_t had = bytes.size();
            const std::size_t want = std::clamp(had, firstRead, largestRead);
            bytes.resize(had + want);
            const std::size_t got = std::fread(bytes.data() + had, 1, want, file.get());
            bytes.resize(had + got);
            if (got < want) {
                break;
            }
        }
        file.reset();
    }

    std::vector<std::string> lines;
    if (bytes.empty()) {
        return lines;
    }
    std::string line;
    const char* at = bytes.data();
    const char* const end = at + bytes.size();
    while (at != end) {
        const char* run = at;
        while (at != end && *at != '\n' && *at != '\r' && *at != '\0') {
            ++at;
        }
        line.append(run, static_cast<std::size_t>(at - run));
        if (at == end) {
            break;
        }
        if (*at == '\n') {
            lines.push_back(std::move(line));
            line.clear();
        }
        ++at;
    }
    lines.push_back(std::move(line));
    return lines;
}

LineKind SettingsReader::parseLine(std::string line, std::string& name, std::string& value) {
    name.clear();
    value.clear();
    line = trim(std::move(line));
    if (line.empty()) {
        return LineKind::None;
    }
    if (line.front() == ';') {
        return LineKind::Comment;
    }
    if (line.front() == '[') {
        // A note after ";" is cut off before the closing bracket is looked
        // for, and the cut line is what a key line would see as well.
        if (const auto note = line.find(';'); note != std::string::npos) {
            line.erase(note);
        }
        // The last "]" closes the name, so a "]" inside the name survives.
        if (const auto close = line.rfind(']'); close != std::string::npos) {
            name = trim(line.substr(1, close - 1));
            return LineKind::Section;
        }
    }
    // "\=" lets a key hold an equals sign. Blanking the pairs in a copy of the
    // same length finds the first "=" that is not escaped, at a position that
    // holds in the line itself.
    const auto equals = line.find("\\=") == std::string::npos
                            ? line.find('=')
                            : replaceAll(line, "\\=", "  ").find('=');
    if (equals == std::string::npos) {
        return LineKind::Unrecognised;
    }
    const std::string_view view = line;
    name.assign(trimView(view.substr(0, equals)));
    if (name.find("\\=") != std::string::npos) {
        name = replaceAll(std::move(name), "\\=", "=");
    }
    // Values are taken literally: quotes, ";" notes and "\=" all stay.
    value.assign(trimView(view.substr(equals + 1)));
    return LineKind::KeyValue;
}

} // namespace sloshmere
