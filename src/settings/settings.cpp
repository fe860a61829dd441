#include "settings/settings.h"

#include <cstdio>

namespace sloshmere {

// These three are built in this order and destroyed in reverse, which only one
// source file can promise: across files the order is unspecified.
std::string settingsFileName = "Sloshmere.ini";
SettingsDocument settingsDocument;
const std::unordered_map<std::string, GameHash> controlNameTable = buildControlNameTable();

std::string promptText = "Drown";
GameHash promptControl = unresolvedControl;

namespace {

constexpr const char* sectionName = "Sloshmere";
constexpr const char* textKey = "DrownText";
constexpr const char* inputKey = "DrownInput";

} // namespace

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
        if (settingsDocument.has(sectionName) &&
            settingsDocument.getOrInsert(sectionName).has(textKey)) {
            promptText = settingsDocument.getOrInsert(sectionName).get(textKey);
        }
    }
    // An empty or unknown name matches nothing, which keeps the current
    // control; no known control carries unresolvedControl.
    const auto control = controlNameTable.find(settingsDocument.get(sectionName).get(inputKey));
    if (control != controlNameTable.end()) {
        promptControl = control->second;
    }
}

} // namespace sloshmere
