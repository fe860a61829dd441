#include "settings_diagnosis.h"

#include "letter_case.h"
#include "nearest_controls.h"
#include "settings/controls.h"
#include "settings/reader.h"
#include "settings/settings.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <climits>
#include <string_view>
#include <vector>

namespace sloshmere::check {

namespace {

// The section and the keys the module looks up.
const std::string sectionName = "Sloshmere";
const std::string textKey = "DrownText";
const std::string inputKey = "DrownInput";

// The most of a value a message quotes.
constexpr std::size_t quotedBytes = 60;

// A control the player can hold during a grapple, for the fixes to suggest.
constexpr std::string_view suggestedControl = "INPUT_CONTEXT_Y";

// UTF-8's byte-order mark, and UTF-16's in both byte orders: the reader drops
// NUL bytes, so a UTF-16 file of plain letters reads as its mark and the text.
constexpr std::array<std::string_view, 3> byteOrderMarks = {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};

// One line of the file that the reader takes for a header or a key.
struct Header {
    std::size_t line; // 1 for the first
    std::string name;
};
struct KeyLine {
    std::size_t line;
    // None before the first header, where the reader drops key lines.
    std::optional<std::string> section;
    std::string key;
    std::string value;
};

// The file's lines as the module's reader splits and classifies them, with
// the section each key line falls in.
struct FileLines {
    std::vector<Header> headers;
    std::vector<KeyLine> keys;
    // What follows a byte-order mark at the very start, if there is one.
    std::optional<std::string> afterMark;
};

FileLines readFileLines() {
    FileLines file;
    SettingsReader reader(settingsFileName);
    const std::vector<std::string> lines = reader.readLines();
    std::optional<std::string> section;
    std::string name;
    std::string value;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        for (const std::string_view mark : byteOrderMarks) {
            if (i == 0 && lines[i].starts_with(mark)) {
                file.afterMark = lines[i].substr(mark.size());
            }
        }
        switch (SettingsReader::parseLine(lines[i], name, value)) {
        case LineKind::Section:
            section = name;
            file.headers.push_back({i + 1, name});
            break;
        case LineKind::KeyValue:
            file.keys.push_back({i + 1, section, name, value});
            break;
        case LineKind::None:
        case LineKind::Comment:
        case LineKind::Unrecognised:
            break;
        }
    }
    return file;
}

std::string onLine(std::size_t line) {
    return "line " + std::to_string(line);
}

bool inQuotes(std::string_view text) {
    return text.size() >= 2 && text.front() == text.back() &&
           (text.front() == '"' || text.front() == '\'');
}

// The line whose value the module keeps for `key`: a repeated key's last.
const KeyLine* usedLine(const FileLines& file, const std::string& key) {
    const KeyLine* used = nullptr;
    for (const KeyLine& line : file.keys) {
        if (line.section == sectionName && line.key == key) {
            used = &line;
        }
    }
    return used;
}

// Why the module's document holds no [Sloshmere].
Finding missingSectionFinding(const FileLines& file) {
    std::string name;
    std::string value;
    if (file.afterMark &&
        SettingsReader::parseLine(*file.afterMark, name, value) == LineKind::Section &&
        sameLetters(name, sectionName)) {
        return {true,
                "Sloshmere.ini starts with a byte-order mark, an invisible mark some editors "
                "write when they save a file as \"UTF-8 with BOM\" or \"Unicode\". The mod "
                "reads it as part of the first line, so it does not see the [Sloshmere] header "
                "behind it and reads none of the settings.",
                "Save Sloshmere.ini without a byte-order mark (in Notepad: File, Save As, "
                "Encoding \"UTF-8\", not \"UTF-8 with BOM\")."};
    }
    for (const Header& header : file.headers) {
        if (sameLetters(header.name, sectionName)) {
            return {true,
                    "The section header on " + onLine(header.line) + " is [" + header.name +
                        "]: section names are case-sensitive and the mod reads only "
                        "[Sloshmere], so it reads none of the settings.",
                    "Write the header on " + onLine(header.line) + " as [Sloshmere]."};
        }
    }
    return {true,
            "Sloshmere.ini has no [Sloshmere] section header, so the mod reads none of the "
            "settings.",
            "Put the line [Sloshmere] in Sloshmere.ini, above DrownText and DrownInput."};
}

// Why `key` is not in [Sloshmere] although the file has something like it;
// none when the file simply lacks it. `loss` says what that costs.
std::optional<Finding> misplacedKeyFinding(const FileLines& file, const std::string& key,
                                           bool blocking, const std::string& loss) {
    for (const KeyLine& line : file.keys) {
        if (line.section == sectionName && sameLetters(line.key, key)) {
            return Finding{blocking,
                           "Line " + std::to_string(line.line) + " sets " + line.key +
                               ": key names are case-sensitive and the mod reads only " + key +
                               ", so " + loss,
                           "Write " + line.key + " on " + onLine(line.line) + " as " + key + "."};
        }
    }
    for (const KeyLine& line : file.keys) {
        if (sameLetters(line.key, key)) {
            const std::string where = line.section ? "in the section [" + *line.section + "]"
                                                   : "before any section header";
            return Finding{blocking,
                           line.key + " on " + onLine(line.line) + " is " + where +
                               ", not in [Sloshmere], so " + loss,
                           "Move " + onLine(line.line) + " under the [Sloshmere] header."};
        }
    }
    return std::nullopt;
}

// Why the control name on `line` is not one the module knows.
Finding unknownControlFinding(const KeyLine& line) {
    const std::string at = onLine(line.line);
    if (line.value.empty()) {
        return {true, "DrownInput on " + at + " is empty, so the prompt has no control.",
                "Write a control name after \"DrownInput =\" on " + at + ", such as " +
                    std::string(suggestedControl) + "."};
    }
    // Undo, one by one, what players commonly add to a name, and say which
    // of them kept the module from knowing it.
    std::string name = line.value;
    std::vector<std::string> reasons;
    if (const auto note = name.find_first_of(";#"); note != std::string::npos && note > 0) {
        reasons.push_back("the mod has no notes after a value, so the \"" +
                          std::string(1, name[note]) + "\" and all after it are part of the name");
        name = trim(name.substr(0, note));
    }
    if (inQuotes(name)) {
        reasons.emplace_back("the quotes are part of the name");
        name = trim(name.substr(1, name.size() - 2));
    }
    if (!controlNameTable.contains(name)) {
        std::string capitals = name;
        for (char& c : capitals) {
            c = upperLetter(c);
        }
        if (controlNameTable.contains(capitals)) {
            reasons.emplace_back("control names are case-sensitive and the mod knows this one "
                                 "only in capitals");
            name = capitals;
        }
    }
    const std::string said = "\"DrownInput = " + shortened(line.value, quotedBytes) + "\" on " + at;
    if (controlNameTable.contains(name)) {
        std::string why;
        for (const std::string& reason : reasons) {
            why += (why.empty() ? "" : "; ") + reason;
        }
        return {true, said + " names no control the mod knows: " + why + ".",
                "Write " + at + " as DrownInput = " + name + "."};
    }
    std::string nearest;
    for (const std::string_view known : nearestControlNames(name, 3)) {
        nearest += (nearest.empty() ? "" : ", ") + std::string(known);
    }
    // What else was undone still needs fixing once the name is right.
    std::string also;
    for (const std::string& reason : reasons) {
        also += " Also, " + reason + ".";
    }
    return {true,
            said +
                " names no control the mod knows, so the prompt has no control. The "
                "nearest names it knows: " +
                nearest + "." + also,
            "Write on " + at + " a control name the mod knows, such as " +
                nearest.substr(0, nearest.find(',')) + " (README.txt lists them all)."};
}

// What a player may not mean to show on the prompt: quotes, or a note.
void noteLabel(const KeyLine& line, Findings& findings) {
    const std::string at = onLine(line.line);
    if (inQuotes(line.value)) {
        findings.push_back(
            {false, "The label on " + at + " is in quotes: the mod shows them on the prompt too.",
             "Remove the quotes around the label on " + at + "."});
    }
    if (const auto note = line.value.find_first_of(";#"); note != std::string::npos) {
        findings.push_back({false,
                            "The label on " + at + " holds \"" +
                                shortened(std::string_view(line.value).substr(note), quotedBytes) +
                                "\": the mod has no notes after a value, so the prompt shows "
                                "that too.",
                            "Put the note on a line of its own that starts with \";\"."});
    }
}

// Whether `text` is well-formed UTF-8, the encoding the game shows a label in,
// as Windows' own decoding judges it: no stray or overlong bytes, no
// surrogates, nothing cut short.
bool isUtf8(std::string_view text) {
    return text.empty() || (text.size() <= static_cast<std::size_t>(INT_MAX) &&
                            MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                                static_cast<int>(text.size()), nullptr, 0) > 0);
}

// A value of Log the mod reads as off although it looks meant as on, such as
// "On!" or "enable": its letters and digits alone, in lower case.
bool looksMeantAsOn(std::string_view value) {
    std::string bare;
    for (const char c : value) {
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')) {
            bare += c;
        } else if (c >= 'A' && c <= 'Z') {
            bare += static_cast<char>(c - 'A' + 'a');
        }
    }
    for (const std::string_view on : {"1", "on", "true", "yes", "y", "enable", "enabled"}) {
        if (bare == on) {
            return true;
        }
    }
    return false;
}

// What the mod makes of "Log" in a file it can read, and what a player may
// have meant by it.
void diagnoseLog(const FileLines& lines, SettingsDiagnosis& result) {
    result.logOn = logRequested;
    const std::string key = logKey;
    const KeyLine* log = usedLine(lines, key);
    if (log == nullptr) {
        result.logSource = "Sloshmere.ini gives no Log";
        if (auto found = misplacedKeyFinding(lines, key, false, "the mod keeps no log.")) {
            result.findings.push_back(*found);
        }
        return;
    }
    result.logSource = "Log, " + onLine(log->line);
    if (!result.logOn && looksMeantAsOn(log->value)) {
        result.findings.push_back(
            {false,
             "\"Log = " + shortened(log->value, quotedBytes) + "\" on " + onLine(log->line) +
                 " keeps the log off: the mod turns it on only for 1, true, yes or on.",
             "Write " + onLine(log->line) + " as Log = 1."});
    }
}

} // namespace

SettingsDiagnosis diagnoseSettings(const FolderFile& file) {
    // What a freshly loaded module does the first time it offers its prompt:
    // the label and the control below are the module's own answer.
    loadSettings();
    SettingsDiagnosis result;
    result.label = promptText;
    if (promptControl != unresolvedControl) {
        result.control = settingsDocument.get(sectionName).get(inputKey);
    }

    // Only now the file's own lines, to tell where that answer comes from.
    const bool readable = file.presence == Presence::File && fileIsReadable(settingsFileName);
    const FileLines lines = readable ? readFileLines() : FileLines{};
    const KeyLine* text = usedLine(lines, textKey);
    const KeyLine* input = usedLine(lines, inputKey);
    if (text != nullptr) {
        result.labelSource = "DrownText, " + onLine(text->line);
    } else {
        result.labelSource =
            readable ? "the mod's own; Sloshmere.ini gives no DrownText" : "the mod's own";
    }
    if (result.control && input != nullptr) {
        result.controlSource = "DrownInput, " + onLine(input->line);
    } else {
        result.controlSource = readable ? "Sloshmere.ini names none the mod knows"
                                        : "the mod cannot read Sloshmere.ini";
    }

    Findings& findings = result.findings;
    judgePresence(file, "without it the prompt has no control.",
                  "copy Sloshmere.ini from the download into the game folder.", findings);
    if (file.presence == Presence::File && !readable) {
        findings.push_back({true,
                            "Sloshmere.ini is here but cannot be opened for reading: another "
                            "program may hold it locked, or Windows denies access to it.",
                            "Close whatever has Sloshmere.ini open, and check that your "
                            "account may read it."});
    } else if (readable && !settingsDocument.has(sectionName)) {
        findings.push_back(missingSectionFinding(lines));
    } else if (readable) {
        if (text != nullptr) {
            noteLabel(*text, findings);
        } else if (auto found = misplacedKeyFinding(lines, textKey, false,
                                                    "the prompt shows \"" + promptText + "\".")) {
            findings.push_back(*found);
        }
        if (result.control) {
            // Nothing to explain.
        } else if (input != nullptr) {
            findings.push_back(unknownControlFinding(*input));
        } else if (auto found =
                       misplacedKeyFinding(lines, inputKey, true, "the prompt has no control.")) {
            findings.push_back(*found);
        } else {
            findings.push_back({true,
                                "Sloshmere.ini names no control yet: [Sloshmere] has no "
                                "DrownInput line, so the prompt has no control to hold.",
                                "Add the line DrownInput = " + std::string(suggestedControl) +
                                    " under [Sloshmere] in Sloshmere.ini."});
        }
    }
    if (readable && settingsDocument.has(sectionName)) {
        diagnoseLog(lines, result);
    } else {
        result.logOn = logRequested;
        result.logSource =
            readable ? "Sloshmere.ini has no [Sloshmere]" : "the mod cannot read Sloshmere.ini";
    }
    if (!isUtf8(result.label)) {
        findings.push_back({false,
                            "The label's bytes are not UTF-8, the encoding the game shows text "
                            "in, so the prompt would show it garbled: Sloshmere.ini was saved in "
                            "another encoding.",
                            "Save Sloshmere.ini with the encoding \"UTF-8\" (in Notepad: File, "
                            "Save As, Encoding \"UTF-8\") and write the label again."});
    }
    // The verdict is the module's: without a control nothing above may pass
    // for a prompt that works, even if no explanation fitted.
    const bool blocked =
        std::any_of(findings.begin(), findings.end(), [](const Finding& f) { return f.blocking; });
    if (!result.control && !blocked) {
        findings.push_back({true, "The mod finds no control in Sloshmere.ini.",
                            "Write DrownInput = " + std::string(suggestedControl) +
                                " under [Sloshmere] in Sloshmere.ini."});
    }
    return result;
}

} // namespace sloshmere::check
