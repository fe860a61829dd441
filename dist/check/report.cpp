#include "report.h"

#include "log/log_names.h"

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

// `text` wrapped at blanks to fit the width: `lead` before the first line,
// `indent` blanks before the others (as many as the lead has, by default).
void putItem(std::FILE* out, std::string_view lead, std::string_view text,
             std::size_t indentSize = std::string_view::npos) {
    std::string line(lead);
    const std::string indent(indentSize != std::string_view::npos ? indentSize : lead.size(), ' ');
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

// A label in quotes that cannot be mistaken for its own: in single quotes
// when it holds double ones, so "Drown" in quotes shows as '"Drown"'.
std::string quoted(const std::string& label) {
    const char mark = label.find('"') != std::string::npos ? '\'' : '"';
    return mark + label + mark;
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
    if (file.whyNotAProgram) {
        return "here, but " + *file.whyNotAProgram;
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
    put(out, "Folder: " + report.folder + "\n");
    if (report.notSaved.empty()) {
        putItem(out, "",
                "This report is saved as " + std::string(reportFileName) +
                    " in this folder: attach it to a bug report.");
    } else {
        putItem(out, "",
                "This report could not be saved as " + std::string(reportFileName) +
                    " in this folder (" + report.notSaved +
                    "): copy it from this window for a bug report.");
    }
    put(out, "\n");

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
    const std::string label = quoted(shortened(settings.label, labelBytes));
    const std::string logFile = logFileName;
    putItem(out, "  label:   ", label + "  (" + settings.labelSource + ")");
    putItem(out, "  control: ",
            settings.control.value_or("none") + "  (" + settings.controlSource + ")");
    putItem(out, "  log:     ",
            (settings.logOn ? "on, " + logFile + " in this folder" : std::string("off")) + "  (" +
                settings.logSource + ")");

    if (report.lastSession) {
        put(out, "\nLAST GAME SESSION (" + logFile + ")\n");
        put(out, "  begun " +
                     (report.lastSession->begun.empty() ? std::string("at an unknown time")
                                                        : report.lastSession->begun) +
                     "; its last lines:\n");
        // Each line of the log wrapped under its own start; the log itself
        // holds them whole for a bug report.
        for (const std::string& line : report.lastSession->lastLines) {
            putItem(out, "  ", line, 4);
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
        putItem(out, "", "Fix this first: " + first->fix);
    } else {
        putItem(out, "",
                "The prompt will read " + label + " on " + settings.control.value_or("none") + ".");
    }
}

} // namespace sloshmere::check
