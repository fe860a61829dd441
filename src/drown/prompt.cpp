#include "drown/prompt.h"

#include "drown/handles.h"
#include "drown/pass_notes.h"
#include "host/native_hashes.h"
#include "settings/settings.h"

namespace sloshmere {

PromptId drownPrompt = 0;
bool promptActive = false;

namespace {

constexpr std::int32_t literalStringKind = 10;
constexpr std::int32_t promptPriority = 3;
constexpr std::int32_t holdModeTime = 200;
// The group query's answer when the entity has no prompt group.
constexpr std::int32_t noGroup = -1;

} // namespace

void forgetPrompt() {
    drownPrompt = 0;
    promptActive = false;
}

void createDrownPrompt() {
    // Every creation re-reads the file, so an edited label or control shows
    // on the next prompt without restarting the game.
    loadSettings();
    passNotes.settingsReadPass = passNotes.pass;
    notePassEvent(passEvent::settingsRead);
    if (promptActive) {
        return;
    }
    if (!callNative<bool>(native::DOES_ENTITY_EXIST, victimPed)) {
        passNotes.missingVictim = victimPed;
        notePassEvent(passEvent::promptNotMade);
        return;
    }

    callNative(native::PROMPT_PREPARE, 0);
    drownPrompt = callNative<PromptId>(native::PROMPT_REGISTER_BEGIN);
    callNative(native::PROMPT_SET_CONTROL_ACTION, drownPrompt, promptControl);
    // The game copies the characters while making the string value, so the
    // label may change afterwards; the value itself is passed on whole.
    const auto label = callNative<NativeValue>(native::CREATE_VAR_STRING, literalStringKind,
                                               "LITERAL_STRING", promptText.c_str());
    callNative(native::PROMPT_SET_TEXT, drownPrompt, label);
    // Everything that shapes the prompt goes before the registration ends.
    callNative(native::PROMPT_SET_PRIORITY, drownPrompt, promptPriority);
    callNative(native::PROMPT_SET_OPTION, drownPrompt, 1);
    callNative(native::PROMPT_SET_HOLD_MODE, drownPrompt, holdModeTime);
    callNative(native::PROMPT_REGISTER_END, drownPrompt);
    callNative(native::PROMPT_SET_ENABLED, drownPrompt, 1);
    callNative(native::PROMPT_SET_VISIBLE, drownPrompt, 1);

    // The nearest eligible pedestrian, not the victim: the prompt shows among
    // that pedestrian's prompts.
    const auto group =
        callNative<std::int32_t>(native::PROMPT_GET_GROUP_ID_FOR_TARGET_ENTITY, nearestPed);
    if (group != noGroup) {
        callNative(native::PROMPT_SET_GROUP, drownPrompt, group, 0);
    }
    promptActive = true;
    passNotes.promptId = drownPrompt;
    passNotes.promptGroup = group;
    notePassEvent(passEvent::promptMade);
}

} // namespace sloshmere
