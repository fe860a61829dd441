#include "trace.h"

#include "format_text.h"

#include <bit>
#include <iterator>
#include <unordered_map>

namespace sim {

std::string TraceEntry::stringArg(std::size_t index) const {
    for (const auto& [at, text] : strings) {
        if (at == index) {
            return text;
        }
    }
    return {};
}

std::uint32_t TraceEntry::uintArg(std::size_t index) const {
    return index < args.size() ? static_cast<std::uint32_t>(args[index]) : 0U;
}

std::int32_t TraceEntry::intArg(std::size_t index) const {
    return static_cast<std::int32_t>(uintArg(index));
}

std::uint32_t TraceEntry::floatBits(std::size_t index) const {
    return uintArg(index);
}

float TraceEntry::floatArg(std::size_t index) const {
    return std::bit_cast<float>(floatBits(index));
}

const char* nativeLabel(std::uint64_t hash) {
    // Literal hashes on purpose: the simulated host is a second, independent
    // statement of the game's interface, so a wrong constant in the module
    // shows up as an unhandled call rather than agreeing with itself.
    static const std::unordered_map<std::uint64_t, const char*> labels = {
        {0xFD340785ADF8CFB7, "GET_HASH_KEY"},
        {0xD42BD6EB2E0F1677, "DOES_ENTITY_EXIST"},
        {0x096275889B8E0EE0, "PLAYER_PED_ID"},
        {0xA86D5F069399F44D, "GET_ENTITY_COORDS"},
        {0x753B15AD0FD6F3E3, "PED_GRAPPLE_STATE"},
        {0x8A0FB4D03A630D21, "PROMPT_SET_ENABLED"},
        {0x71215ACCFDE075EE, "PROMPT_SET_VISIBLE"},
        {0x18A3E9EE1297FD39, "PED_GRAPPLE_PARTNER"},
        {0xDCCA191DF9980FD7, "IS_PED_IN_ACTION"},
        {0xA571D46727E2B718, "PROMPT_PREPARE"},
        {0x04F97DE45A519419, "PROMPT_REGISTER_BEGIN"},
        {0xB5352B7494A08258, "PROMPT_SET_CONTROL_ACTION"},
        {0xFA925AC00EB830B9, "CREATE_VAR_STRING"},
        {0x5DD02A8318420DD7, "PROMPT_SET_TEXT"},
        {0xCA24F528D0D16289, "PROMPT_SET_PRIORITY"},
        {0xC5F428EE08FA7F2C, "PROMPT_SET_OPTION"},
        {0x94073D5CA3F16B7B, "PROMPT_SET_HOLD_MODE"},
        {0xF7AA2696A22AD8B9, "PROMPT_REGISTER_END"},
        {0xB796970BD125FCE8, "PROMPT_GET_GROUP_ID_FOR_TARGET_ENTITY"},
        {0x2F11D3A254169EA4, "PROMPT_SET_GROUP"},
        {0x0E99E3BF11BB6367, "PED_GRAPPLE_FLAG"},
        {0xE0F65F0640EF0617, "PROMPT_HAS_HOLD_MODE_COMPLETED"},
        {0x00EDE88D4D13CF59, "PROMPT_DELETE"},
        {0x537F44CB0D7F150D, "DOES_ANIM_DICT_EXIST"},
        {0xA862A2AD321F94B4, "REQUEST_ANIM_DICT"},
        {0x27FF6FE8009B40CA, "HAS_ANIM_DICT_LOADED"},
        {0x4763145053A33D46, "REMOVE_ANIM_DICT"},
        {0xE143FA2249364369, "GET_CLOSEST_OBJECT_OF_TYPE"},
        {0x2412D9C05BB09B97, "GET_ENTITY_FORWARD_VECTOR"},
        {0x24FA4267BB8D2431, "GET_GROUND_Z_FOR_3D_COORD"},
        {0x06843DA7060A026B, "SET_ENTITY_COORDS"},
        {0xCF2B9C0645C4651B, "SET_ENTITY_HEADING"},
        {0xB128377056A54E2A, "PED_PLACEMENT_SWITCH"},
        {0x779A2FFACEFAEA7B, "START_PAIRED_ACTION"},
        {0x4F67E8ECA7D3F667, "GET_GAME_TIMER"},
        {0xA10DB07FC234DD12, "USE_PARTICLE_FX_ASSET"},
        {0x3FAA72BD940C3AC0, "PLAY_PARTICLE_FX_ON_PED"},
        {0x8E04FEDD28D42462, "PLAY_PED_AMBIENT_SPEECH_NATIVE"},
        {0x580417101DDB492F, "IS_CONTROL_USED"},
        {0xA9A41C1E940FB0E8, "KNOCKOUT_FINISH_1"},
        {0x1CE875505D45338A, "KNOCKOUT_FINISH_2"},
        {0xB8BEC0CA6F0EDB0F, "KNOCKOUT_FINISH_3"},
        {0xE1EF3C1216AFF2CD, "KNOCKOUT_FINISH_4"},
        {0x8301D87B1B89E219, "THROW_SET_ACTION"},
        {0x789DABD18E9024DB, "THROW_SET_FLAGS"},
        {0x648B75D44930D6BD, "THROW_START"},
        {0xB980061DA992779D, "IS_PED_HUMAN"},
        {0x7D5B1F88E7504BBA, "IS_ENTITY_DEAD"},
        {0x460BC76A0E10655E, "IS_PED_ON_MOUNT"},
        {0x997ABD671D25CA0B, "IS_PED_IN_ANY_VEHICLE"},
        {0xDDE5C125AC446723, "PED_STATE_TEST_A"},
        {0xB655DB7582AEC805, "PED_STATE_TEST_B"},
        {0x47E4E977581C5B55, "PED_STATE_TEST_C"},
        {0x7EE53118C892B513, "GET_PED_CONFIG_FLAG"},
        {0xB7A628320EFF8E47, "POINT_SEPARATION"},
    };
    const auto found = labels.find(hash);
    return found == labels.end() ? "" : found->second;
}

namespace {

void appendArg(std::string& out, const TraceEntry& entry, std::size_t index) {
    const ArgKind kind = index < entry.argKinds.size() ? entry.argKinds[index] : ArgKind::Raw;
    const std::uint64_t raw = entry.args[index];
    switch (kind) {
    case ArgKind::String:
        out += '"';
        out += entry.stringArg(index);
        out += '"';
        return;
    case ArgKind::Float:
        out += formatText("%g", static_cast<double>(entry.floatArg(index)));
        return;
    case ArgKind::Int:
        out += formatText("%d", entry.intArg(index));
        return;
    case ArgKind::Address:
        out += "&record";
        return;
    case ArgKind::Raw:
        break;
    }
    if (raw <= 0xFFFF) {
        out += formatText("%llu", static_cast<unsigned long long>(raw));
    } else {
        out += formatText("0x%llX", static_cast<unsigned long long>(raw));
    }
}

float slotFloat(std::uint64_t slot) {
    return std::bit_cast<float>(static_cast<std::uint32_t>(slot));
}

// The result as the handler typed it, after " -> ".
void appendTypedResult(std::string& out, const TraceEntry& entry) {
    const std::uint64_t first = entry.result[0];
    switch (entry.resultKind) {
    case ResultKind::None:
        return;
    case ResultKind::Int:
        out += formatText(" -> %d", static_cast<std::int32_t>(static_cast<std::uint32_t>(first)));
        return;
    case ResultKind::Boolean:
        // Any answer but 0 is true to the module, whatever the game's truth.
        out += first != 0 ? " -> true" : " -> false";
        return;
    case ResultKind::Float:
        out += formatText(" -> %g", static_cast<double>(slotFloat(first)));
        return;
    case ResultKind::Vector:
        out += formatText(" -> (%g, ", static_cast<double>(slotFloat(first)));
        out += formatText("%g, ", static_cast<double>(slotFloat(entry.result[1])));
        out += formatText("%g)", static_cast<double>(slotFloat(entry.result[2])));
        return;
    case ResultKind::Uint:
    case ResultKind::Raw:
        break;
    }
    out += formatText(" -> 0x%llX", static_cast<unsigned long long>(first));
}

} // namespace

std::string describe(const TraceEntry& entry, ResultStyle style) {
    std::string out;
    switch (entry.kind) {
    case TraceEntry::Kind::Wait:
        out += formatText("scriptWait(%llu)", static_cast<unsigned long long>(entry.args.at(0)));
        return out;
    case TraceEntry::Kind::GetAllPeds:
        out += formatText("worldGetAllPeds(capacity %llu) -> %d",
                          static_cast<unsigned long long>(entry.args.at(0)),
                          static_cast<std::int32_t>(entry.result[0]));
        return out;
    case TraceEntry::Kind::ScriptRegister:
        return "scriptRegister";
    case TraceEntry::Kind::ScriptUnregister:
        return "scriptUnregister";
    case TraceEntry::Kind::KeyboardRegister:
        return "keyboardHandlerRegister";
    case TraceEntry::Kind::KeyboardUnregister:
        return "keyboardHandlerUnregister";
    case TraceEntry::Kind::Restart:
        return "~ the game restarts its scripts";
    case TraceEntry::Kind::Native:
        break;
    }
    const char* label = nativeLabel(entry.hash);
    if (*label != '\0') {
        out += label;
    } else {
        out += formatText("0x%016llX", static_cast<unsigned long long>(entry.hash));
    }
    out += '(';
    for (std::size_t i = 0; i < entry.args.size(); ++i) {
        if (i != 0) {
            out += ", ";
        }
        appendArg(out, entry, i);
    }
    out += ')';
    if (style == ResultStyle::Typed) {
        appendTypedResult(out, entry);
    } else if (entry.result[0] != 0) {
        out += formatText(" -> 0x%llX", static_cast<unsigned long long>(entry.result[0]));
    }
    if (!entry.note.empty()) {
        out += "  ; ";
        out += entry.note;
    }
    return out;
}

} // namespace sim
