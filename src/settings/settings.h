// The module's settings: the label and the control of the "Drown" prompt, read
// from Sloshmere.ini in the game's current directory.
#pragma once

#include "host/native.h"
#include "settings/controls.h"
#include "settings/reader.h"

#include <string>
#include <string_view>

namespace sloshmere {

// The settings file, relative to the process's current directory.
extern std::string settingsFileName;
// The file's content as the last successful read left it.
extern SettingsDocument settingsDocument;
// The prompt's label; "Drown" until the file gives one.
extern std::string promptText;
// The control that drives the prompt; unresolvedControl until the file names one.
extern GameHash promptControl;
// Whether the file asks for Sloshmere.log, as the last load of the prompt's
// settings read it; false until a file says otherwise.
extern bool logRequested;

// The names the module reads in its settings file.
inline constexpr const char* settingsSection = "Sloshmere";
inline constexpr const char* labelKey = "DrownText";
inline constexpr const char* controlKey = "DrownInput";
inline constexpr const char* logKey = "Log";

// Whether a value of "Log" turns the log on: 1, true, yes or on, in any
// letter case. Anything else, the empty value included, is off.
bool logValueIsOn(std::string_view value);

// Whether `document` turns the log on: its "Log" in the module's section.
bool logAskedIn(const SettingsDocument& document);

// Whether path opens for reading right now.
bool fileIsReadable(const std::string& path);

// Clears document, then reads settingsFileName into it. False when there is no
// file name or the file cannot be opened.
bool readSettingsFile(SettingsDocument& document);

// Re-reads the settings file and updates promptText and promptControl from it.
// Whatever is missing, unreadable or unknown leaves the current value in force;
// "DrownInput" is resolved from the last document read even when the file is
// gone. A file that can be read also sets logRequested, off when it has no
// "Log"; an unreadable one leaves it as it was. Throws nothing but allocation
// failure.
void loadSettings();

} // namespace sloshmere
