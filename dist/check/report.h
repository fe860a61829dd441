// The setup check's report, in plain words for a player, and its verdict.
#pragma once

#include "file_version.h"
#include "game_folder.h"
#include "last_session.h"
#include "settings_diagnosis.h"

#include <cstdio>
#include <optional>
#include <string>

namespace sloshmere::check {

// The report's copy beside the check, for a bug report.
inline constexpr const char* reportFileName = "SloshmereCheck.txt";

struct CheckReport {
    // The folder the check looked at, as UTF-8.
    std::string folder;
    FileVersion checkVersion{};
    GameFolder game;
    SettingsDiagnosis settings;
    // The mod's log of the last game session, when there is one.
    std::optional<LastSession> lastSession;
    // Why the report could not be saved as reportFileName; empty when it was.
    std::string notSaved;
};

// Whether anything found keeps the module from offering a prompt that works.
bool blocked(const CheckReport& report);

// Writes the report to `out`. Its last paragraph says what the prompt will
// read and on which control, or what to fix first.
void writeReport(std::FILE* out, const CheckReport& report);

} // namespace sloshmere::check
