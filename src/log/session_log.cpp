#include "log/session_log.h"

#include "drown/actions.h"
#include "log/line_budget.h"
#include "log/log_file.h"
#include "log/pass_notes.h"
#include "settings/settings.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>

#ifndef SLOSHMERE_VERSION
#error "the build gives the module its version"
#endif

namespace sloshmere {

bool logWriting = false;

namespace {

// The grapple state the drowning effects wait for, the one state the module
// has a name for.
constexpr std::uint32_t drowningState = 0x4CD05DF6U;
// A label is quoted up to this many bytes; a longer one is cut with "...".
constexpr int labelShown = 200;

// Whether a file was begun in this load; later opens add to its end.
bool begunThisLoad = false;
int scriptStarts = 0;
LineBudget budget;

// What the log last told, so it tells only changes.
enum class PromptView : std::uint8_t { None, Offered, HeldBack };
WatchOutcome toldOutcome = WatchOutcome::None;
std::uint32_t toldAction = 0;
std::int32_t toldFlag = 0;
std::uint32_t toldState = 0;
PromptView toldPrompt = PromptView::None;
std::uint32_t toldPhases = 0;
std::string toldLabel;
GameHash toldControl = unresolvedControl;

// Writes one line straight to the file, outside the budget: the header and
// the lines that account for the budget itself.
__attribute__((format(printf, 1, 2))) void writeRaw(const char* format, ...) {
    char text[768];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (!writeLogText(text)) {
        logWriting = false;
    }
}

// One line of the log under the budget: the local time, the pass, the text.
__attribute__((format(printf, 1, 2))) void line(const char* format, ...) {
    if (!logWriting) {
        return;
    }
    char text[640];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    const LocalTime now = localTimeNow();
    const auto pass = static_cast<unsigned long long>(passNotes.pass);
    char full[704];
    const int length = std::snprintf(full, sizeof full, "%s pass %llu: %s", now.time, pass, text);
    const std::uint64_t pending = budget.leftOut;
    // Room for the line, and for the notice of what was left out before it.
    const std::uint64_t room = static_cast<std::uint64_t>(length) + (pending > 0 ? 96U : 0U);
    const bool wasFull = budget.full;
    if (!budgetTake(budget, passNotes.pass, logFileBytes(), room)) {
        if (budget.full && !wasFull) {
            writeRaw("%s pass %llu: the log has reached its limit of 1 MiB; what follows is left "
                     "out",
                     now.time, pass);
        }
        return;
    }
    if (pending > 0) {
        writeRaw("%s pass %llu: %llu lines left out (at most %zu lines in any %llu passes)",
                 now.time, pass, static_cast<unsigned long long>(pending), budgetLines,
                 static_cast<unsigned long long>(budgetPasses));
        budget.leftOut = 0;
    }
    writeRaw("%s", full);
}

int labelLength(const std::string& label) {
    return label.size() > static_cast<std::size_t>(labelShown) ? labelShown
                                                               : static_cast<int>(label.size());
}
const char* labelCut(const std::string& label) {
    return label.size() > static_cast<std::size_t>(labelShown) ? "..." : "";
}

// The control's name for a person: the file's spelling when it names this
// control (two names share one hash), else the table's first.
std::string controlName(GameHash hash, const std::string& spelled) {
    if (hash == unresolvedControl) {
        return "none";
    }
    if (const auto found = controlNameTable.find(spelled);
        found != controlNameTable.end() && found->second == hash) {
        return spelled;
    }
    for (const ControlName& control : controlNames) {
        if (control.value == hash) {
            return std::string(control.name);
        }
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", hash);
    return hex;
}

void describeState(std::uint32_t state, char (&out)[48]) {
    std::snprintf(out, sizeof out, state == drowningState ? "0x%08X (the drowning's)" : "0x%08X",
                  state);
}

// The header: what a bug report needs before anything happens.
void writeHeader(const SettingsDocument& document) {
    const LocalTime now = localTimeNow();
    writeRaw("Sloshmere %s log, begun %s %s", SLOSHMERE_VERSION, now.date, now.time);
    writeRaw("Game folder: %s", currentFolder().c_str());
    writeRaw("Settings as read from %s:", settingsFileName.c_str());

    const SettingsSection section = document.get(settingsSection);
    if (section.has(labelKey)) {
        toldLabel = section.get(labelKey);
        writeRaw("  label \"%.*s%s\", from the file", labelLength(toldLabel), toldLabel.c_str(),
                 labelCut(toldLabel));
    } else {
        toldLabel = promptText;
        writeRaw("  label \"%.*s%s\", the module's own: the file has no %s in [%s]",
                 labelLength(toldLabel), toldLabel.c_str(), labelCut(toldLabel), labelKey,
                 settingsSection);
    }

    const std::string spelled = section.get(controlKey);
    const auto known = controlNameTable.find(spelled);
    if (known != controlNameTable.end()) {
        toldControl = known->second;
        writeRaw("  control %s, from the file", spelled.c_str());
    } else {
        toldControl = promptControl;
        const std::string kept = controlName(promptControl, spelled);
        if (section.has(controlKey)) {
            writeRaw("  control %s, the module's own: %s = \"%.*s\" names no control it knows",
                     kept.c_str(), controlKey, 60, spelled.c_str());
        } else {
            writeRaw("  control %s, the module's own: the file has no %s in [%s]", kept.c_str(),
                     controlKey, settingsSection);
        }
    }
    writeRaw("  log on: %s = %.*s", logKey, 60, section.get(logKey).c_str());
}

// Opens the file (afresh on the first begin of a load) and writes the header.
bool begin(const SettingsDocument& document) {
    const bool fresh = !begunThisLoad;
    if (!openLogFile(fresh)) {
        logWriting = false;
        return false;
    }
    begunThisLoad = true;
    logWriting = true;
    if (fresh) {
        budget = LineBudget{};
    }
    toldOutcome = WatchOutcome::None;
    toldPrompt = PromptView::None;
    toldPhases = 0;
    // Whatever was noted while the log was off is not this log's to tell.
    passNotes.events = 0;
    writeHeader(document);
    return true;
}

void end(const char* why) {
    line("%s; the log stops here", why);
    closeLogFile();
    logWriting = false;
}

void tellOutcome() {
    const PassNotes& notes = passNotes;
    bool changed = notes.outcome != toldOutcome;
    switch (notes.outcome) {
    case WatchOutcome::PlayerBusy:
    case WatchOutcome::VictimBusy:
        changed = changed || notes.busyAction != toldAction;
        break;
    case WatchOutcome::FlagNotHeld:
        changed = changed || notes.grappleFlag != toldFlag;
        break;
    case WatchOutcome::StateNotOffered:
        changed = changed || notes.grappleState != toldState;
        break;
    case WatchOutcome::None:
    case WatchOutcome::NoTrough:
    case WatchOutcome::Offerable:
        break;
    }
    if (!changed) {
        return;
    }
    toldOutcome = notes.outcome;
    toldAction = notes.busyAction;
    toldFlag = notes.grappleFlag;
    toldState = notes.grappleState;

    const char* action =
        notes.busyAction < grappleActionCount ? grappleActionNames[notes.busyAction] : "?";
    char state[48];
    describeState(notes.grappleState, state);
    switch (notes.outcome) {
    case WatchOutcome::None:
        break;
    case WatchOutcome::PlayerBusy:
        line("busy: the player is in the grapple action %s, so no prompt", action);
        break;
    case WatchOutcome::VictimBusy:
        line("busy: the grappled pedestrian is in the grapple action %s, so no prompt", action);
        break;
    case WatchOutcome::NoTrough:
        line("no trough within 1.5 of the player at (%.2f, %.2f, %.2f)",
             static_cast<double>(notes.position.x), static_cast<double>(notes.position.y),
             static_cast<double>(notes.position.z));
        break;
    case WatchOutcome::FlagNotHeld:
        line("a trough is near, but the grapple flag is %d, not 1: nobody is held",
             notes.grappleFlag);
        break;
    case WatchOutcome::StateNotOffered:
        line("a trough is near and the flag held, but the grapple state %s is not one the "
             "prompt is offered in",
             state);
        break;
    case WatchOutcome::Offerable:
        line("a trough is near, the flag held, the grapple state %s: the prompt is for offer",
             state);
        break;
    }
}

void tellPlacement() {
    const PassNotes& notes = passNotes;
    switch (notes.placement) {
    case PlacementResult::PlayerGone:
        line("hold completed, nobody moved: the player no longer exists");
        return;
    case PlacementResult::VictimGone:
        line("hold completed, nobody moved: the grappled pedestrian no longer exists");
        return;
    case PlacementResult::NoTrough:
        line("hold completed, nobody moved: no trough within 1.5 of the player any more");
        return;
    case PlacementResult::Placed:
        break;
    }
    line("hold completed: player placed at (%.2f, %.2f, %.2f), victim at (%.2f, %.2f, %.2f), "
         "heading %.1f, facing %s, %s",
         static_cast<double>(notes.playerPlaced.x), static_cast<double>(notes.playerPlaced.y),
         static_cast<double>(notes.playerPlaced.z), static_cast<double>(notes.victimPlaced.x),
         static_cast<double>(notes.victimPlaced.y), static_cast<double>(notes.victimPlaced.z),
         static_cast<double>(notes.heading),
         notes.byTroughFacing ? "the way the trough faces (the player stood over it)"
                              : "from the player to the trough",
         notes.groundFound ? "on the ground found there"
                           : "at the trough's height (no ground found)");
}

void tellPrompt() {
    const PassNotes& notes = passNotes;
    const std::uint32_t events = notes.events;
    if ((events & passEvent::promptNotMade) != 0) {
        line("prompt not made: the grappled pedestrian (handle %d) does not exist",
             notes.missingVictim);
    }
    if ((events & passEvent::promptMade) != 0) {
        const std::string control = controlName(promptControl, std::string());
        char group[48];
        std::snprintf(group, sizeof group,
                      notes.promptGroup == -1 ? "in no prompt group" : "in prompt group %d",
                      notes.promptGroup);
        line("prompt made: \"%.*s%s\" on %s, id %d, %s", labelLength(promptText),
             promptText.c_str(), labelCut(promptText), control.c_str(), notes.promptId, group);
        toldPrompt = PromptView::Offered;
    }
    if ((events & passEvent::promptHeldBack) != 0 && toldPrompt == PromptView::Offered) {
        line("prompt held back: disabled and hidden until the grapple is in an offer state again");
        toldPrompt = PromptView::HeldBack;
    }
    if ((events & passEvent::promptShown) != 0 && toldPrompt == PromptView::HeldBack) {
        line("prompt shown again");
        toldPrompt = PromptView::Offered;
    }
    if ((events & passEvent::promptPutAway) != 0) {
        line("prompt put away: disabled and hidden, left registered; the next offer makes a new "
             "one");
        toldPrompt = PromptView::None;
    }
    if ((events & passEvent::holdCompleted) != 0) {
        tellPlacement();
    }
    if ((events & passEvent::promptRetired) != 0) {
        line("prompt retired: deleted, both animation dictionaries released");
        toldPrompt = PromptView::None;
    }
}

void tellPhases() {
    const std::uint32_t now = passNotes.events & passEvent::phases;
    const std::uint32_t started = now & ~toldPhases;
    toldPhases = now;
    if ((started & passEvent::choke) != 0) {
        line("drowning: choke, the victim splashes and cries out every frame");
    }
    if ((started & passEvent::chokeIntro) != 0) {
        line("drowning: choke intro, a splash every 500 ms");
    }
    if ((started & passEvent::chokeOutro) != 0) {
        line("drowning: choke outro, the victim coughs every 500 ms");
    }
    if ((started & passEvent::attack) != 0) {
        line("drowning: attack, the victim coughs every 500 ms");
    }
    if ((started & passEvent::knockout) != 0) {
        line("drowning: knockout, the four finishing calls after %d ms of game time",
             passNotes.knockoutWaitedMs);
    }
    if ((started & passEvent::breakoutThrow) != 0) {
        line("drowning: breakout, the victim thrown");
    }
}

bool fileAsksForLog(const SettingsDocument& document) {
    return document.has(settingsSection) && logValueIsOn(document.get(settingsSection).get(logKey));
}

} // namespace

void startLog() noexcept {
    try {
        ++scriptStarts;
        SettingsDocument document;
        const bool readable = fileIsReadable(settingsFileName) && readSettingsFile(document);
        // Like the prompt's settings, an unreadable file changes nothing.
        const bool on = readable ? fileAsksForLog(document) : logWriting;
        if (!on) {
            if (logWriting) {
                end("the script started again with Log off in the settings file");
            }
            return;
        }
        if (!logWriting && !begin(document)) {
            return;
        }
        if (scriptStarts > 1) {
            line("the game restarted the script (start %d); the module stayed loaded and keeps "
                 "its values",
                 scriptStarts);
        }
    } catch (...) {
        // Out of memory while reading the file or writing the header: no log
        // this time rather than a fault in the game.
        closeLogFile();
        logWriting = false;
    }
}

void logPass() noexcept {
    try {
        tellOutcome();
        tellPrompt();
        tellPhases();
    } catch (...) {
        // A control name that could not be copied costs a line, not the pass.
    }
    passNotes.events = 0;
}

void logSettingsReread() noexcept {
    try {
        if (!logWriting) {
            if (logRequested && !logFileGivenUp() && begin(settingsDocument)) {
                line("the log begins at a prompt: %s was turned on in the settings file", logKey);
            }
            return;
        }
        if (promptText != toldLabel) {
            line("settings changed on re-read: label \"%.*s%s\" -> \"%.*s%s\"",
                 labelLength(toldLabel), toldLabel.c_str(), labelCut(toldLabel),
                 labelLength(promptText), promptText.c_str(), labelCut(promptText));
            toldLabel = promptText;
        }
        if (promptControl != toldControl) {
            const std::string spelled = settingsDocument.get(settingsSection).get(controlKey);
            line("settings changed on re-read: control %s -> %s",
                 controlName(toldControl, std::string()).c_str(),
                 controlName(promptControl, spelled).c_str());
            toldControl = promptControl;
        }
        if (!logRequested) {
            end("settings changed on re-read: Log is off now");
        }
    } catch (...) {
        // As in logPass: a line lost, never the prompt.
    }
}

void stopLog() noexcept {
    if (logWriting) {
        const LocalTime now = localTimeNow();
        const auto pass = static_cast<unsigned long long>(passNotes.pass);
        if (budget.leftOut > 0) {
            writeRaw("%s pass %llu: %llu lines left out%s", now.time, pass,
                     static_cast<unsigned long long>(budget.leftOut),
                     budget.full ? ", the log being full" : "");
        }
        writeRaw("%s pass %llu: the module was unloaded", now.time, pass);
    }
    resetLogFile();
    logWriting = false;
    begunThisLoad = false;
    scriptStarts = 0;
    budget = LineBudget{};
    passNotes = PassNotes{};
}

} // namespace sloshmere
