#include "report.h"

#include <algorithm>
#include <string_view>

namespace sloshmere::check {

namespace {

// Console windows are often 80 columns wide; findings are wrapped to fit.
constexpr std::size_t width = 79;
// The most of a label the report shows; the game shows a few dozen letters.
constexpr std::size_t labelBytes = 200;

void put(std::FILE* out, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), out);
}

// `text` as a list item, wrapped at blanks: "  - " before the first line,
// four blanks before the others.
void putItem(std::FILE* out, std::string_view lead, std::string_view text) {
    std::string line(lead);
    const std::string indent(lead.size(), ' ');
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find(' ', at);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view word = text.substr(at, end - at);
        if (line.size() > indent.size() && line.size() + 1 + word.size() > width) {
            put(out, line + "\n");
            line = indent;
        } else if (line.size() > indent.size()) {
            line += ' ';
        }
        line += word;
        at = end + 1;
    }
    put(out, line + "\n");
}

std::string padded(std::string text, std::size_t size) {
    text.resize(std::max(size, text.size() + 1), ' ');
    return text;
}

std::string status(const FolderFile& file, bool versioned) {
    switch (file.presence) {
    case Presence::Missing:
        return "MISSING";
    case Presence::Folder:
        return "a folder, not a file";
    case Presence::File:
        break;
    }
    if (file.notAProgram) {
        return "here, but " + *file.notAProgram;
    }
    if (!versioned) {
        return "here";
    }
    return file.version ? "version " + versionText(*file.version) : "here, no version information";
}

void putFindings(std::FILE* out, const char* heading, const Findings& findings, bool blocking) {
    bool first = true;
    for (const Finding& finding : findings) {
        if (finding.blocking != blocking) {
            continue;
        }
        if (first) {
            put(out, std::string("\n") + heading + "\n");
            first = false;
        }
        putItem(out, "  - ", finding.what);
        putItem(out, "    Fix: ", finding.fix);
    }
}

} // namespace

bool blocked(const CheckReport& report) {
    const auto blocking = [](const Finding& finding) { return finding.blocking; };
    return std::any_of(report.game.findings.begin(), report.game.findings.end(), blocking) ||
           std::any_of(report.settings.findings.begin(), report.settings.findings.end(), blocking);
}

void writeReport(std::FILE* out, const CheckReport& report) {
    put(out, "Sloshmere setup check, version " + versionText(report.checkVersion) + "\n");
    put(out, "Folder: " + report.folder + "\n\n");

    const GameFolder& game = report.game;
    put(out, "GAME FOLDER\n");
    for (const auto& [file, versioned] :
         {std::pair{&game.game, true}, std::pair{&game.hook, true}, std::pair{&game.loader, false},
          std::pair{&game.module, true}, std::pair{&game.settings, false}}) {
        put(out, "  " + padded(file->name, 20) + padded(file->role, 20) + status(*file, versioned) +
                     "\n");
    }
    if (game.hook.presence == Presence::File) {
        putItem(out, "  ",
                "A script hook works only with the game versions it was made for: after a "
                "game update, install the hook's newest release.");
    }

    const SettingsDiagnosis& settings = report.settings;
    put(out, "\nSETTINGS, AS THE MOD READS THEM\n");
    const std::string label = shortened(settings.label, labelBytes);
    put(out, "  label:   \"" + label + "\"  (" + settings.labelSource + ")\n");
    put(out,
        "  control: " + settings.control.value_or("none") + "  (" + settings.controlSource + ")\n");
    put(out, std::string("  log:     ") +
                 (settings.logOn ? "on, Sloshmere.log in this folder" : "off") + "  (" +
                 settings.logSource + ")\n");

    if (report.lastSession) {
        put(out, "\nLAST GAME SESSION (Sloshmere.log)\n");
        put(out, "  begun " +
                     (report.lastSession->begun.empty() ? std::string("at an unknown time")
                                                        : report.lastSession->begun) +
                     "; its last lines:\n");
        for (const std::string& line : report.lastSession->lastLines) {
            // As the log holds it, unwrapped: a player may paste it into a report.
            put(out, "  " + line + "\n");
        }
    }

    Findings all = game.findings;
    all.insert(all.end(), settings.findings.begin(), settings.findings.end());
    putFindings(out, "PROBLEMS", all, true);
    putFindings(out, "NOTES", all, false);

    put(out, "\n");
    const auto first = std::find_if(all.begin(), all.end(),
                                    [](const Finding& finding) { return finding.blocking; });
    if (first != all.end()) {
        put(out, "Fix this first: " + first->fix + "\n");
    } else {
        put(out, "The prompt will read \"" + label + "\" on " + settings.control.value_or("none") +
                     ".\n");
    }
}

} // namespace sloshmere::check
