#include "log/log_lines.h"

#include "drown/actions.h"
#include "log/log_file.h"
#include "log/log_writer.h"
#include "log/pass_notes.h"
#include "settings/settings.h"

#include <cstdio>
#include <string>

#ifndef SLOSHMERE_VERSION
#error "the build gives the module its version"
#endif

namespace sloshmere {

namespace {

// The grapple state the drowning effects wait for, the one state the module
// has a name for.
constexpr std::uint32_t drowningState = 0x4CD05DF6U;
// A label is quoted up to this many bytes; a longer one is cut with "...".
constexpr int labelShown = 200;

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
        logLine("busy: the player is in the grapple action %s, so no prompt", action);
        break;
    case WatchOutcome::VictimBusy:
        logLine("busy: the grappled pedestrian is in the grapple action %s, so no prompt", action);
        break;
    case WatchOutcome::NoTrough:
        logLine("no trough within 1.5 of the player at (%.2f, %.2f, %.2f)",
                static_cast<double>(notes.position.x), static_cast<double>(notes.position.y),
                static_cast<double>(notes.position.z));
        break;
    case WatchOutcome::FlagNotHeld:
        logLine("a trough is near, but the grapple flag is %d, not 1: nobody is held",
                notes.grappleFlag);
        break;
    case WatchOutcome::StateNotOffered:
        logLine("a trough is near and the flag held, but the grapple state %s is not one the "
                "prompt is offered in",
                state);
        break;
    case WatchOutcome::Offerable:
        logLine("a trough is near, the flag held, the grapple state %s: the prompt is for offer",
                state);
        break;
    }
}

void tellPlacement() {
    const PassNotes& notes = passNotes;
    switch (notes.placement) {
    case PlacementResult::PlayerGone:
        logLine("hold completed, nobody moved: the player no longer exists");
        return;
    case PlacementResult::VictimGone:
        logLine("hold completed, nobody moved: the grappled pedestrian no longer exists");
        return;
    case PlacementResult::NoTrough:
        logLine("hold completed, nobody moved: no trough within 1.5 of the player any more");
        return;
    case PlacementResult::Placed:
        break;
    }
    logLine("hold completed: player placed at (%.2f, %.2f, %.2f), victim at (%.2f, %.2f, %.2f), "
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
        logLine("prompt not made: the grappled pedestrian (handle %d) does not exist",
                notes.missingVictim);
    }
    if ((events & passEvent::promptMade) != 0) {
        const std::string control = controlName(promptControl, std::string());
        char group[48];
        std::snprintf(group, sizeof group,
                      notes.promptGroup == -1 ? "in no prompt group" : "in prompt group %d",
                      notes.promptGroup);
        logLine("prompt made: \"%.*s%s\" on %s, id %d, %s", labelLength(promptText),
                promptText.c_str(), labelCut(promptText), control.c_str(), notes.promptId, group);
        toldPrompt = PromptView::Offered;
    }
    if ((events & passEvent::promptHeldBack) != 0 && toldPrompt == PromptView::Offered) {
        logLine(
            "prompt held back: disabled and hidden until the grapple is in an offer state again");
        toldPrompt = PromptView::HeldBack;
    }
    if ((events & passEvent::promptShown) != 0 && toldPrompt == PromptView::HeldBack) {
        logLine("prompt shown again");
        toldPrompt = PromptView::Offered;
    }
    if ((events & passEvent::promptPutAway) != 0) {
        logLine("prompt put away: disabled and hidden, left registered; the next offer makes a new "
                "one");
        toldPrompt = PromptView::None;
    }
    if ((events & passEvent::holdCompleted) != 0) {
        tellPlacement();
    }
    if ((events & passEvent::promptRetired) != 0) {
        logLine("prompt retired: deleted, both animation dictionaries released");
        toldPrompt = PromptView::None;
    }
}

void tellPhases() {
    const std::uint32_t now = passNotes.events & passEvent::phases;
    const std::uint32_t started = now & ~toldPhases;
    toldPhases = now;
    if ((started & passEvent::choke) != 0) {
        logLine("drowning: choke, the victim splashes and cries out every frame");
    }
    if ((started & passEvent::chokeIntro) != 0) {
        logLine("drowning: choke intro, a splash every 500 ms");
    }
    if ((started & passEvent::chokeOutro) != 0) {
        logLine("drowning: choke outro, the victim coughs every 500 ms");
    }
    if ((started & passEvent::attack) != 0) {
        logLine("drowning: attack, the victim coughs every 500 ms");
    }
    if ((started & passEvent::knockout) != 0) {
        logLine("drowning: knockout, the four finishing calls after %d ms of game time",
                passNotes.knockoutWaitedMs);
    }
    if ((started & passEvent::breakoutThrow) != 0) {
        logLine("drowning: breakout, the victim thrown");
    }
}

} // namespace

void writeLogHeader(const SettingsDocument& document) {
    const LocalTime now = localTimeNow();
    logRaw("Sloshmere %s log, begun %s %s", SLOSHMERE_VERSION, now.date, now.time);
    logRaw("Game folder: %s", currentFolder().c_str());
    logRaw("Settings as read from %s:", settingsFileName.c_str());

    const SettingsSection section = document.get(settingsSection);
    if (section.has(labelKey)) {
        toldLabel = section.get(labelKey);
        logRaw("  label \"%.*s%s\", from the file", labelLength(toldLabel), toldLabel.c_str(),
               labelCut(toldLabel));
    } else {
        toldLabel = promptText;
        logRaw("  label \"%.*s%s\", the module's own: the file has no %s in [%s]",
               labelLength(toldLabel), toldLabel.c_str(), labelCut(toldLabel), labelKey,
               settingsSection);
    }

    const std::string spelled = section.get(controlKey);
    const auto known = controlNameTable.find(spelled);
    if (known != controlNameTable.end()) {
        toldControl = known->second;
        logRaw("  control %s, from the file", spelled.c_str());
    } else {
        toldControl = promptControl;
        const std::string kept = controlName(promptControl, spelled);
        if (section.has(controlKey)) {
            logRaw("  control %s, the module's own: %s = \"%.*s\" names no control it knows",
                   kept.c_str(), controlKey, 60, spelled.c_str());
        } else {
            logRaw("  control %s, the module's own: the file has no %s in [%s]", kept.c_str(),
                   controlKey, settingsSection);
        }
    }
    logRaw("  log on: %s = %.*s", logKey, 60, section.get(logKey).c_str());
}

void forgetTold() noexcept {
    toldOutcome = WatchOutcome::None;
    toldPrompt = PromptView::None;
    toldPhases = 0;
}

void tellPass() {
    tellOutcome();
    tellPrompt();
    tellPhases();
}

void tellSettingsChange() {
    if (promptText != toldLabel) {
        logLine(R"(settings changed on re-read: label "%.*s%s" -> "%.*s%s")",
                labelLength(toldLabel), toldLabel.c_str(), labelCut(toldLabel),
                labelLength(promptText), promptText.c_str(), labelCut(promptText));
        toldLabel = promptText;
    }
    if (promptControl != toldControl) {
        const std::string spelled = settingsDocument.get(settingsSection).get(controlKey);
        logLine("settings changed on re-read: control %s -> %s",
                controlName(toldControl, std::string()).c_str(),
                controlName(promptControl, spelled).c_str());
        toldControl = promptControl;
    }
}

} // namespace sloshmere
