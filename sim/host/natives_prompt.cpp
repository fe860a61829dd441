// Prompts, the var strings that label them, the grapple flag and animation
// dictionaries.
#include "host.h"
#include "natives.h"

#include <string>

namespace sim {

namespace {

// CREATE_VAR_STRING hands out values with the high half set, so a module that
// narrows the value to 32 bits loses the label and the trace shows it.
constexpr std::uint64_t varStringBase = 0x5641'5253'0000'0000U;

// The prompt the first argument names, if the game has it. A call that names
// a prompt the script did not make in its current run is noted as such: one
// a restart dropped reaches nothing, and another owner's is acted on as the
// game would. An id no prompt holds (0 among them) reaches nothing, unnoted.
Prompt* livePrompt(World& world, NativeCall& call) {
    Prompt* prompt = world.findPrompt(call.i32(0));
    if (prompt == nullptr) {
        return nullptr;
    }
    const std::string notOurs(notTheScriptsPrompt);
    if (prompt->run != world.scriptRun) {
        call.note(notOurs + "ended with its script");
        return nullptr;
    }
    if (prompt->ofTheGame) {
        call.note(notOurs + "the game's own \"" + prompt->label + "\"");
    }
    return prompt;
}

// Applies `change` to the prompt the first argument names, if there is one.
template <typename Change>
void withPrompt(World& world, NativeCall& call, Change change) {
    if (Prompt* prompt = livePrompt(world, call)) {
        change(*prompt);
    }
}

} // namespace

void installPromptNatives(Host& host) {
    World& world = host.world;

    host.handle(0xA571D46727E2B718, [](NativeCall& call) { call.i32(0); }); // PROMPT_PREPARE
    host.handle(0x04F97DE45A519419, [&world](NativeCall& call) {            // PROMPT_REGISTER_BEGIN
        call.returnInt(world.registerPrompt().id);
    });
    host.handle(0xB5352B7494A08258, [&world](NativeCall& call) { // PROMPT_SET_CONTROL_ACTION
        withPrompt(world, call, [&call](Prompt& p) { p.control = call.u32(1); });
    });
    host.handle(0xFA925AC00EB830B9, [&world](NativeCall& call) { // CREATE_VAR_STRING
        call.i32(0);
        call.str(1);
        world.varStrings.push_back(call.str(2));
        call.returnRaw(varStringBase + world.varStrings.size() - 1);
    });
    host.handle(0x5DD02A8318420DD7, [&world](NativeCall& call) { // PROMPT_SET_TEXT
        const std::uint64_t value = call.raw(1);
        const std::uint64_t index = value - varStringBase;
        const bool known = value >= varStringBase && index < world.varStrings.size();
        const std::string label = known ? world.varStrings[index] : std::string();
        call.note(known ? "label \"" + label + "\"" : "not a string value");
        withPrompt(world, call, [&label](Prompt& p) { p.label = label; });
    });
    host.handle(0xCA24F528D0D16289, [&world](NativeCall& call) { // PROMPT_SET_PRIORITY
        withPrompt(world, call, [&call](Prompt& p) { p.priority = call.i32(1); });
    });
    host.handle(0xC5F428EE08FA7F2C, [&world](NativeCall& call) { // PROMPT_SET_OPTION
        withPrompt(world, call, [&call](Prompt& p) { p.option = call.i32(1); });
    });
    host.handle(0x94073D5CA3F16B7B, [&world](NativeCall& call) { // PROMPT_SET_HOLD_MODE
        withPrompt(world, call, [&call](Prompt& p) { p.holdMode = call.i32(1); });
    });
    host.handle(0xF7AA2696A22AD8B9, [&world](NativeCall& call) { // PROMPT_REGISTER_END
        withPrompt(world, call, [](Prompt& p) { p.registered = true; });
    });
    host.handle(0x8A0FB4D03A630D21, [&world](NativeCall& call) { // PROMPT_SET_ENABLED
        withPrompt(world, call, [&call](Prompt& p) { p.enabled = call.i32(1) != 0; });
    });
    host.handle(0x71215ACCFDE075EE, [&world](NativeCall& call) { // PROMPT_SET_VISIBLE
        withPrompt(world, call, [&call](Prompt& p) { p.visible = call.i32(1) != 0; });
    });
    host.handle(0xB796970BD125FCE8,
                [&world](NativeCall& call) { // PROMPT_GET_GROUP_ID_FOR_TARGET_ENTITY
                    const Ped* ped = world.findPed(call.i32(0));
                    call.returnInt(ped != nullptr ? ped->promptGroup : -1);
                });
    host.handle(0x2F11D3A254169EA4, [&world](NativeCall& call) { // PROMPT_SET_GROUP
        call.i32(2);
        withPrompt(world, call, [&call](Prompt& p) { p.group = call.i32(1); });
    });
    host.handle(0x00EDE88D4D13CF59, [&world](NativeCall& call) { // PROMPT_DELETE
        withPrompt(world, call, [](Prompt& p) { p.deleted = true; });
    });
    host.handle(0xE0F65F0640EF0617, [&world](NativeCall& call) { // PROMPT_HAS_HOLD_MODE_COMPLETED
        const Prompt* prompt = livePrompt(world, call);
        call.returnBool(prompt != nullptr && !prompt->deleted && prompt->holdCompleted);
    });
    host.handle(0x0E99E3BF11BB6367, [&world](NativeCall& call) { // PED_GRAPPLE_FLAG
        const Ped* ped = world.findPed(call.i32(0));
        call.returnInt(ped != nullptr ? ped->grappleFlag : 0);
    });

    host.handle(0x537F44CB0D7F150D, [&world](NativeCall& call) { // DOES_ANIM_DICT_EXIST
        call.returnBool(world.animDicts.contains(call.str(0)));
    });
    host.handle(0xA862A2AD321F94B4, [&world](NativeCall& call) { // REQUEST_ANIM_DICT
        if (auto found = world.animDicts.find(call.str(0)); found != world.animDicts.end()) {
            found->second.requested = true;
            found->second.polls = 0;
        }
    });
    host.handle(0x27FF6FE8009B40CA, [&world](NativeCall& call) { // HAS_ANIM_DICT_LOADED
        const auto found = world.animDicts.find(call.str(0));
        if (found == world.animDicts.end() || !found->second.requested) {
            return;
        }
        AnimDict& dict = found->second;
        ++dict.polls;
        call.returnBool(dict.loadedAfterPolls >= 0 && dict.polls >= dict.loadedAfterPolls);
    });
    host.handle(0x4763145053A33D46, [&world](NativeCall& call) { // REMOVE_ANIM_DICT
        if (auto found = world.animDicts.find(call.str(0)); found != world.animDicts.end()) {
            found->second.requested = false;
            found->second.polls = 0;
        }
    });
}

} // namespace sim
