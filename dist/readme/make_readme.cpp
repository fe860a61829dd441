// Writes the players' README.txt from its template, with @VERSION@ replaced by
// the release's version and the marker line replaced by every control name the
// settings key DrownInput accepts, taken from the module's own control table,
// so the list cannot drift from what the module reads. The few names suited to
// the Drown prompt come first, then all the others in alphabetical order, one
// per line, grouped by initial.
//
//   sloshmere-readme <template> <version> <README.txt>
//
// The template and the output are plain text with Windows line endings, for
// Notepad; every output line must fit in 80 columns.
#include "settings/controls.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view marker = "@CONTROL_NAMES@";
constexpr std::string_view versionMarker = "@VERSION@";
constexpr std::string_view lineEnd = "\r\n";
constexpr std::string_view indent = "  ";
constexpr std::size_t maxColumns = 80;

// Context and interaction controls that the game leaves free during a grapple
// and shows as hold prompts elsewhere; the sample Sloshmere.ini offers the
// same four.
constexpr std::array<std::string_view, 4> recommended = {
    "INPUT_CONTEXT_Y",
    "INPUT_CONTEXT_X",
    "INPUT_INTERACT_OPTION1",
    "INPUT_INTERACT_OPTION2",
};

// The initial that groups a name: its first letter after "INPUT_".
char initialOf(std::string_view name) {
    constexpr std::string_view prefix = "INPUT_";
    return name.size() > prefix.size() ? name[prefix.size()] : '\0';
}

bool fail(const std::string& message) {
    std::cerr << "sloshmere-readme: " << message << '\n';
    return false;
}

// The list that replaces the marker line, each line ended with CR LF.
bool controlList(std::string& out) {
    std::set<std::string> names;
    for (const auto& entry : sloshmere::buildControlNameTable()) {
        names.insert(entry.first);
    }
    std::ostringstream text;
    text << "The names best suited to the Drown prompt:" << lineEnd << lineEnd;
    for (const std::string_view name : recommended) {
        if (names.erase(std::string(name)) == 0) {
            return fail("recommended control " + std::string(name) + " is not in the table");
        }
        text << indent << name << lineEnd;
    }
    text << lineEnd << "Every other name the mod accepts, in alphabetical order:" << lineEnd;
    char group = '\0';
    for (const std::string& name : names) {
        if (initialOf(name) != group) {
            group = initialOf(name);
            text << lineEnd;
        }
        text << indent << name << lineEnd;
    }
    out = text.str();
    return true;
}

bool writeReadme(const char* templatePath, std::string_view version, const char* outputPath) {
    std::ifstream in(templatePath, std::ios::binary);
    if (!in) {
        return fail(std::string("cannot read ") + templatePath);
    }
    std::string source{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (std::size_t at = source.find(versionMarker); at != std::string::npos;
         at = source.find(versionMarker, at + version.size())) {
        source.replace(at, versionMarker.size(), version);
    }
    const std::string markerLine = std::string(marker) + std::string(lineEnd);
    const std::size_t at = source.find(markerLine);
    if (at == std::string::npos || (at != 0 && source[at - 1] != '\n') ||
        source.find(markerLine, at + 1) != std::string::npos) {
        return fail(std::string(templatePath) + " must hold the line " + std::string(marker) +
                    " exactly once, ended with CR LF");
    }
    std::string list;
    if (!controlList(list)) {
        return false;
    }
    const std::string readme = source.substr(0, at) + list + source.substr(at + markerLine.size());

    std::size_t lineNumber = 1;
    for (std::size_t start = 0; start < readme.size(); ++lineNumber) {
        const std::size_t end = readme.find(lineEnd, start);
        if (end == std::string::npos) {
            return fail("line " + std::to_string(lineNumber) + " does not end with CR LF");
        }
        if (end - start > maxColumns) {
            return fail("line " + std::to_string(lineNumber) + " is longer than 80 columns");
        }
        start = end + lineEnd.size();
    }

    std::ofstream out(outputPath, std::ios::binary | std::ios::trunc);
    out << readme;
    out.close();
    if (!out) {
        return fail(std::string("cannot write ") + outputPath);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: sloshmere-readme <template> <version> <README.txt>\n";
        return 2;
    }
    return writeReadme(argv[1], argv[2], argv[3]) ? 0 : 1;
}
