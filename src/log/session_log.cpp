#include "log/session_log.h"

#include "drown/pass_notes.h"
#include "log/log_file.h"
#include "log/log_lines.h"
#include "settings/settings.h"

namespace sloshmere {

namespace {

int scriptStarts = 0;

// Opens the file and writes the header.
bool begin(const SettingsDocument& document) {
    if (!openLogFile()) {
        return false;
    }
    forgetTold();
    writeLogHeader(document);
    return true;
}

void end(const char* why) {
    logLine("%s; the log stops here", why);
    closeLogFile();
}

// The settings as the pass's re-read left them: the log begun or ended as
// "Log" now says, and while it is on, what changed of the label and control.
void tellSettingsRead() {
    if (!logWriting) {
        if (logRequested && begin(settingsDocument)) {
            logLine("the log begins as the prompt is offered: %s was turned on in %s", logKey,
                    settingsFileName.c_str());
        }
        return;
    }
    tellSettingsChange();
    if (!logRequested) {
        end((settingsFileName + ", read as the prompt is offered, turns the log off").c_str());
    }
}

} // namespace

void startLog() noexcept {
    try {
        ++scriptStarts;
        SettingsDocument document;
        const bool readable = fileIsReadable(settingsFileName) && readSettingsFile(document);
        // Like the prompt's settings, an unreadable file changes nothing.
        const bool on = readable ? logAskedIn(document) : logWriting;
        if (!on) {
            if (logWriting) {
                end(("the game started the script again with the log turned off in " +
                     settingsFileName)
                        .c_str());
            }
            return;
        }
        if (!logWriting && !begin(document)) {
            return;
        }
        if (scriptStarts > 1) {
            logLine("the game restarted the script (start %d), as it does when a save is loaded; "
                    "the mod stayed loaded and keeps its settings",
                    scriptStarts);
        }
    } catch (...) {
        // Out of memory while reading the file or writing the header: no log
        // this time rather than a fault in the game.
        closeLogFile();
    }
}

void logPromptForgotten() noexcept {
    if (logWriting) {
        logLine("the prompt from before the restart is forgotten: the game dropped it; a new one "
                "comes while you hold someone beside a trough");
    }
}

void logPass() noexcept {
    if ((passNotes.events & passEvent::settingsRead) != 0) {
        try {
            tellSettingsRead();
        } catch (...) {
            // A line lost, never the pass.
        }
    }
    if (!logWriting) {
        return;
    }
    try {
        tellPass();
    } catch (...) {
        // A control name that could not be copied costs a line, not the pass.
    }
}

void stopLog() noexcept {
    if (logWriting) {
        logLeftOut();
        const LocalTime now = localTimeNow();
        logRaw("%s pass %llu: the mod was unloaded; the log ends here", now.time,
               static_cast<unsigned long long>(passNotes.pass));
    }
    resetLogFile();
    scriptStarts = 0;
    passNotes = PassNotes{};
}

} // namespace sloshmere
