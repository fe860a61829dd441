// The module's settings: the label and the control of the "Drown" prompt, read
// from Sloshmere.ini in the game's current directory.
#pragma once

#include "host/native.h"
#include "settings/controls.h"
#include "settings/reader.h"

#include <string>

namespace sloshmere {

// The settings file, relative to the process's current directory.
extern std::string settingsFileName;
// The file's content as the last successful read left it.
extern SettingsDocument settingsDocument;
// The prompt's label; "Drown" until the file gives one.
extern std::string promptText;
// The control that drives the prompt; unresolvedControl until the file names one.
extern GameHash promptControl;

// Whether path opens for reading right now.
bool fileIsReadable(const std::string& path);

// Clears document, then reads settingsFileName into it. False when there is no
// file name or the file cannot be opened.
bool readSettingsFile(SettingsDocument& document);

// Re-reads the settings file and updates promptText and promptControl from it.
// Whatever is missing, unreadable or unknown leaves the current value in force;
// "DrownInput" is resolved from the last document read even when the file is
// gone. Throws nothing but allocation failure.
void loadSettings();

} // namespace sloshmere
