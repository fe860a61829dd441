#include "settings/reader.h"

#include <array>

namespace sloshmere {

namespace {

// Exactly the six blanks of the C locale; 0xA0 and the bytes of a UTF-8
// byte-order mark are ordinary bytes here.
constexpr std::string_view blanks = " \t\n\r\f\v";

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

SettingsReader::SettingsReader(const std::string& path) : stream(path, std::ios::binary) {}

bool SettingsReader::read(SettingsDocument& document) {
    if (!stream.is_open()) {
        return false;
    }
    std::string section;
    bool inSection = false;
    std::string name;
    std::string value;
    for (auto& line : readLines()) {
        switch (parseLine(std::move(line), name, value)) {
        case LineKind::Section:
            section = name;
            inSection = true;
            // A repeated header finds the section it named before, so both
            // headers' keys end up in one place, at its first position.
            document.getOrInsert(section);
            break;
        case LineKind::KeyValue:
            // Keys before the first header belong to no section and are dropped.
            if (inSection) {
                document.getOrInsert(section).getOrInsert(name) = value;
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
    // The size the stream reports at its end is not to be trusted: a directory
    // reports an enormous one, a pipe or /proc file none at all, and a file
    // can shrink while it is read. So the buffer grows only by the bytes that
    // actually arrive, and a read error simply ends the input. The stream
    // raises no exceptions, so such an error is a state and nothing more.
    std::string bytes;
    std::array<char, 4096> chunk{};
    while (stream.read(chunk.data(), chunk.size()) || stream.gcount() > 0) {
        bytes.append(chunk.data(), static_cast<std::size_t>(stream.gcount()));
    }
    // A failure to close changes nothing about the bytes already read.
    stream.close();

    std::vector<std::string> lines;
    if (bytes.empty()) {
        return lines;
    }
    std::string line;
    for (const char byte : bytes) {
        switch (byte) {
        case '\n':
            lines.push_back(std::move(line));
            line.clear();
            break;
        case '\0':
        case '\r':
            // Dropped wherever they stand, so CR LF reads like LF and a stray
            // carriage return joins the bytes around it.
            break;
        default:
            line.push_back(byte);
            break;
        }
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
    const auto equals = replaceAll(line, "\\=", "  ").find('=');
    if (equals == std::string::npos) {
        return LineKind::Unrecognised;
    }
    name = replaceAll(trim(line.substr(0, equals)), "\\=", "=");
    // Values are taken literally: quotes, ";" notes and "\=" all stay.
    value = trim(line.substr(equals + 1));
    return LineKind::KeyValue;
}

} // namespace sloshmere
