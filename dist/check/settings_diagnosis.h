// What the module will make of Sloshmere.ini: the label and the control of its
// prompt, found by running the module's own settings load on the file, and,
// when it finds no control, exactly why, told from the file's own lines.
#pragma once

#include "finding.h"
#include "game_folder.h"

#include <optional>
#include <string>

namespace sloshmere::check {

struct SettingsDiagnosis {
    // The label the prompt will show, and where it comes from, in words.
    std::string label;
    std::string labelSource;
    // The control name that drives the prompt, none when the module resolves
    // none; and where it comes from, in words.
    std::optional<std::string> control;
    std::string controlSource;
    // Whether the mod will keep Sloshmere.log, and why, in words.
    bool logOn = false;
    std::string logSource;
    // Blocking when there is no control; notes otherwise.
    Findings findings;
};

// Runs the module's settings load once on Sloshmere.ini in the current
// directory, as a freshly loaded module does when it first offers the prompt,
// and explains its result; `file` is what the folder inspection saw of it.
SettingsDiagnosis diagnoseSettings(const FolderFile& file);

} // namespace sloshmere::check
