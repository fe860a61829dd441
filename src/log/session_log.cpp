#include "log/session_log.h"

#include "drown/actions.h"
#include "drown/effects.h"
#include "drown/pass_notes.h"
#include "drown/trough.h"
#include "settings/settings.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

namespace sloshmere {

namespace {

// What the log last told, so it tells only changes.
enum class PromptView : std::uint8_t { None, Offered, HeldBack };
std::pair<WatchOutcome, std::uint32_t> toldOutcome{WatchOutcome::None, 0};
PromptView toldPrompt = PromptView::None;
std::uint32_t toldPhases = 0;
std::string toldLabel;
GameHash toldControl = unresolvedControl;
int scriptStarts = 0;

constexpr auto radius = static_cast<double>(troughSearchRadius);

std::string shown(const std::string& label) {
    return label.size() > logLabelBytes ? label.substr(0, logLabelBytes) + "..." : label;
}

std::string at(const Vector3& position) {
    char text[160];
    std::snprintf(text, sizeof text, "(%.2f, %.2f, %.2f)", static_cast<double>(position.x),
                  static_cast<double>(position.y), static_cast<double>(position.z));
    return text;
}

// The control's name for a person: the file's spelling when it names this
// control (two names share one hash), else the table's first.
std::string controlName(GameHash hash, const std::string& spelled = {}) {
    if (hash == unresolvedControl) {
        return "none";
    }
    if (controlNameTable.contains(spelled) && controlNameTable.at(spelled) == hash) {
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

void tellOutcome() {
    const PassNotes& notes = passNotes;
    const WatchOutcome outcome = notes.outcome;
    const bool busy = outcome == WatchOutcome::PlayerBusy || outcome == WatchOutcome::VictimBusy;
    // What tells one outcome from another of the same kind: the action that
    // made the pair busy, the flag not held, the state not offered.
    std::uint32_t detail = busy ? notes.busyAction : 0;
    if (outcome == WatchOutcome::FlagNotHeld) {
        detail = static_cast<std::uint32_t>(notes.grappleFlag);
    } else if (outcome == WatchOutcome::StateNotOffered) {
        detail = notes.grappleState;
    }
    if (std::pair(outcome, detail) == toldOutcome) {
        return;
    }
    toldOutcome = {outcome, detail};

    const std::uint32_t busyAction = notes.busyAction;
    const char* action = busyAction < grappleActionCount ? grappleActionNames[busyAction] : "?";
    if (busy && std::strcmp(action, drowningMove) == 0) {
        logLine("the drowning is under way, so no new prompt [dev: %s is in %s]",
                outcome == WatchOutcome::PlayerBusy ? "the player" : "the person held", action);
    } else if (outcome == WatchOutcome::PlayerBusy) {
        logLine("no prompt while the player is in another grapple move [dev: %s]", action);
    } else if (outcome == WatchOutcome::VictimBusy) {
        logLine("no prompt while the person held is in a grapple move of their own [dev: %s]",
                action);
    } else if (outcome == WatchOutcome::NoTrough) {
        logLine("no trough within %.1f m of the player, who stands at %s, so no prompt", radius,
                at(notes.position).c_str());
    } else if (outcome == WatchOutcome::FlagNotHeld) {
        logLine("a trough is within %.1f m, but the player holds nobody in a grapple, so no prompt "
                "[dev: grapple flag %d]",
                radius, notes.grappleFlag);
    } else if (outcome == WatchOutcome::StateNotOffered || outcome == WatchOutcome::Offerable) {
        logLine("a trough is within %.1f m and the player holds someone%s in a hold the prompt is "
                "offered in [dev: grapple state 0x%08X%s]",
                radius, outcome == WatchOutcome::StateNotOffered ? ", but not" : "",
                notes.grappleState, notes.grappleState == drowningState ? ", the drowning's" : "");
    }
}

void tellPrompt() {
    const PassNotes& notes = passNotes;
    const auto did = [](std::uint32_t event) { return (passNotes.events & event) != 0; };
    const bool retired = did(passEvent::promptRetired);
    const bool completed = did(passEvent::holdCompleted);
    if (did(passEvent::promptNotMade)) {
        logLine("no prompt: the person held no longer exists in the game [dev: handle %d]",
                notes.missingVictim);
    }
    if (did(passEvent::promptMade)) {
        const bool alone = notes.promptGroup == -1;
        const char* where = alone ? "shown on its own" : "shown among the nearest person's prompts";
        char dev[64];
        std::snprintf(dev, sizeof dev, alone ? "prompt id %d, no group" : "prompt id %d, group %d",
                      notes.promptId, notes.promptGroup);
        if (promptControl == unresolvedControl) {
            logLine("prompt offered: \"%s\", %s, but with no control to hold: Sloshmere.ini "
                    "names none the mod knows [dev: %s]",
                    shown(promptText).c_str(), where, dev);
        } else {
            logLine("prompt offered: hold %s to \"%s\", %s [dev: %s]",
                    controlName(promptControl).c_str(), shown(promptText).c_str(), where, dev);
        }
        toldPrompt = PromptView::Offered;
    }
    // A prompt removed in this same pass is told as removed, not as waiting
    // to come back.
    if (did(passEvent::promptHeldBack) && !retired && toldPrompt == PromptView::Offered) {
        logLine("prompt hidden: the player's hold is not one it is offered in; it shows again "
                "when it is");
        toldPrompt = PromptView::HeldBack;
    }
    if (did(passEvent::promptShown) && toldPrompt == PromptView::HeldBack) {
        logLine("prompt shown again");
        toldPrompt = PromptView::Offered;
    }
    if (did(passEvent::promptPutAway)) {
        logLine("prompt hidden: the mod offers a new one once the grapple allows it again");
        toldPrompt = PromptView::None;
    }
    if (completed && notes.placement == PlacementResult::NoTrough) {
        logLine("hold completed, but nobody was moved: no trough within %.1f m of the player any "
                "more",
                radius);
    } else if (completed && notes.placement != PlacementResult::Placed) {
        logLine("hold completed, but nobody was moved: %s no longer exists in the game",
                notes.placement == PlacementResult::PlayerGone ? "the player" : "the person held");
    } else if (completed) {
        logLine("hold completed: the player moved to %s and the victim to %s, both turned to %.1f "
                "degrees, %s, %s; the drowning move started",
                at(notes.playerPlaced).c_str(), at(notes.victimPlaced).c_str(),
                static_cast<double>(notes.heading),
                notes.byTroughFacing ? "the way the trough faces, as the player stood over it"
                                     : "from where the player stood towards the trough",
                notes.groundFound ? "on the ground found there"
                                  : "at the trough's height, as no ground was found there");
    }
    if (retired) {
        logLine(completed ? "prompt removed, and its drowning animations unloaded"
                          : "prompt removed, as the player let go of the grapple, and the "
                            "drowning animations unloaded");
        toldPrompt = PromptView::None;
    }
}

void tellPhases() {
    const std::uint32_t now = passNotes.events & passEvent::phases;
    const std::uint32_t started = now & ~toldPhases;
    toldPhases = now;
    if ((started & passEvent::choke) != 0) {
        logLine("drowning: the player holds the victim under: a splash and a cry every frame "
                "[dev: %s]",
                chokeAction);
    }
    if ((started & passEvent::chokeIntro) != 0) {
        logLine("drowning: the player pushes the victim under: a splash every %d ms [dev: %s]",
                shortPauseMs, chokeIntroAction);
    }
    if ((started & passEvent::chokeOutro) != 0) {
        logLine("drowning: the player eases the hold: the victim coughs every %d ms [dev: %s]",
                shortPauseMs, chokeOutroAction);
    }
    if ((started & passEvent::attack) != 0) {
        logLine("drowning: the player strikes: the victim coughs every %d ms [dev: %s]",
                shortPauseMs, attackAction);
    }
    if ((started & passEvent::knockout) != 0) {
        logLine("drowning: the victim is knocked out: a last cry and a big splash, and %d ms of "
                "game time later (the mod waits %d ms) the knockout made final [dev: %s]",
                passNotes.knockoutWaitedMs, knockoutDelayMs, knockoutAction);
    }
    if ((started & passEvent::breakoutThrow) != 0) {
        logLine("drowning: the grapple's breakout control was used: the player throws the victim "
                "forward");
    }
}

// Opens the file and writes the header; the next pass tells its state afresh.
bool begin(const SettingsDocument& document) {
    if (!openLogFile()) {
        return false;
    }
    toldOutcome = {WatchOutcome::None, 0};
    toldPrompt = PromptView::None;
    toldPhases = 0;
    const SystemFacts facts = readSystemFacts();
    logRaw("%s%s%s%s", logTitle, SLOSHMERE_VERSION, logBegunWords, facts.now.c_str());
    logRaw("Game folder: %s", facts.folder.c_str());
    logRaw("Game: %s", facts.game.c_str());
    logRaw("Script hook: %s", facts.hook.c_str());
    logRaw("System: %s", facts.system.c_str());
    logRaw("Each line gives the local time and the pass: one round of the mod's watch over the "
           "grapple, once a frame, except that a pass that waits (for animations to load, or "
           "through a drowning's pauses) lasts several frames. Positions are the game's map "
           "coordinates in metres; values in [dev: ...] are for the mod's developers.");
    // What the module holds is what its prompt would use now: read with each
    // prompt it offers, not at the script's start.
    toldLabel = promptText;
    toldControl = promptControl;
    const std::string label = shown(toldLabel);
    if (passNotes.settingsReadPass == 0) {
        logRaw("The mod holds the label \"%s\" and no control: its own, as it has not read %s "
               "yet; it reads it each time it offers the prompt.",
               label.c_str(), settingsFileName.c_str());
    } else {
        logRaw("The mod holds the label \"%s\" and %s%s, as its read of %s in pass %llu left "
               "them; it reads it each time it offers the prompt.",
               label.c_str(), promptControl == unresolvedControl ? "no control" : "the control ",
               promptControl == unresolvedControl ? "" : controlName(promptControl).c_str(),
               settingsFileName.c_str(),
               static_cast<unsigned long long>(passNotes.settingsReadPass));
    }
    logRaw("%s, as it reads now:", settingsFileName.c_str());
    const SettingsSection section = document.get(settingsSection);
    if (section.has(labelKey)) {
        logRaw("  label \"%s\" (%s)", shown(section.get(labelKey)).c_str(), labelKey);
    } else {
        logRaw("  label: none given (no %s in [%s])", labelKey, settingsSection);
    }
    const std::string spelled = section.get(controlKey);
    if (controlNameTable.contains(spelled)) {
        logRaw("  control %s (%s)", spelled.c_str(), controlKey);
    } else if (section.has(controlKey)) {
        logRaw("  control: %s = \"%.*s\" names no control the mod knows", controlKey, 60,
               spelled.c_str());
    } else {
        logRaw("  control: none given (no %s in [%s])", controlKey, settingsSection);
    }
    logRaw("  log on (%s = %.*s)", logKey, 60, section.get(logKey).c_str());
    return true;
}

void tellSettingsRead() {
    if (!logWriting) {
        if (logRequested && begin(settingsDocument)) {
            logLine("the log begins as the prompt is offered: %s was turned on in %s", logKey,
                    settingsFileName.c_str());
        }
        return;
    }
    if (promptText != toldLabel) {
        logLine(R"(%s read as the prompt is offered: label "%s" -> "%s")", settingsFileName.c_str(),
                shown(toldLabel).c_str(), shown(promptText).c_str());
        toldLabel = promptText;
    }
    if (promptControl != toldControl) {
        const std::string spelled = settingsDocument.get(settingsSection).get(controlKey);
        logLine("%s read as the prompt is offered: control %s -> %s", settingsFileName.c_str(),
                controlName(toldControl).c_str(), controlName(promptControl, spelled).c_str());
        toldControl = promptControl;
    }
    if (!logRequested) {
        logLine("%s, read as the prompt is offered, turns the log off; the log stops here",
                settingsFileName.c_str());
        closeLogFile();
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
        if (!on && logWriting) {
            logLine("the game started the script again with the log turned off in %s; the log "
                    "stops here",
                    settingsFileName.c_str());
            closeLogFile();
        } else if (on && (logWriting || begin(document)) && scriptStarts > 1) {
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
    logLine("the prompt from before the restart is forgotten: the game dropped it; a new one "
            "comes while you hold someone beside a trough");
}

void logPass() noexcept {
    try {
        if ((passNotes.events & passEvent::settingsRead) != 0) {
            tellSettingsRead();
        }
        if (logWriting) {
            tellOutcome();
            tellPrompt();
            tellPhases();
        }
    } catch (...) {
        // A name that could not be copied costs a line, never the pass.
    }
}

void stopLog() noexcept {
    endLogFile("the mod was unloaded; the log ends here");
    scriptStarts = 0;
    passNotes = PassNotes{};
}

} // namespace sloshmere
