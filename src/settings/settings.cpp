#include "settings/settings.h"

#include <algorithm>
#include <cstdio>

namespace sloshmere {

// These three are built in this order and destroyed in reverse, which only one
// source file can promise: across files the order is unspecified.
std::string settingsFileName = "Sloshmere.ini";
SettingsDocument settingsDocument;
const std::unordered_map<std::string, GameHash> controlNameTable = buildControlNameTable();

std::string promptText = "Drown";
GameHash promptControl = unresolvedControl;
bool logRequested = false;

bool logValueIsOn(std::string_view value) {
    // Compared letter by letter in ASCII, never through the C locale, which
    // the game may have set to anything.
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    for (const std::string_view on : {"1", "true", "yes", "on"}) {
        if (value.size() == on.size() &&
            std::equal(value.begin(), value.end(), on.begin(),
                       [&lower](char a, char b) { return lower(a) == b; })) {
            return true;
        }
    }
    return false;
}

bool logAskedIn(const SettingsDocument& document) {
    return document.has(settingsSection) && logValueIsOn(document.get(settingsSection).get(logKey));
}

bool fileIsReadable(const std::string& path) {
    // Opened the way the reader opens it; what opens is readable, including a
    // directory where the C library lets one be opened (glibc does, Windows
    // does not), which the reader then reads as no lines.
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (probe == nullptr) {
        return false;
    }
    std::fclose(probe);
    return true;
}

bool readSettingsFile(SettingsDocument& document) {
    if (document.size() > 0) {
        document.clear();
    }
    if (settingsFileName.empty()) {
        return false;
    }
    SettingsReader reader(settingsFileName);
    return reader.read(document);
}

void loadSettings() {
    // An unreadable file leaves the last document in place, so the steps
    // below still see what the last good read found.
    if (fileIsReadable(settingsFileName)) {
        readSettingsFile(settingsDocument);
        if (settingsDocument.has(settingsSection) &&
            settingsDocument.getOrInsert(settingsSection).has(labelKey)) {
            promptText = settingsDocument.getOrInsert(settingsSection).get(labelKey);
        }
        // Unlike the label, the log follows the file as it stands: a file
        // without "Log" asks for none.
        logRequested = logAskedIn(settingsDocument);
    }
    // An empty or unknown name matches nothing, which keeps the current
    // control; no known control carries unresolvedControl.
    const auto control =
        controlNameTable.find(settingsDocument.get(settingsSection).get(controlKey));
    if (control != controlNameTable.end()) {
        promptControl = control->second;
    }
}

} // namespace sloshmere
