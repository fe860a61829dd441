// The game natives the module calls, by 64-bit hash. Natives the game has a
// known label for carry that label; the others carry a name of our own that
// says what the module uses them for.
#pragma once

#include <cstdint>

namespace sloshmere::native {

// Shared
inline constexpr std::uint64_t GET_HASH_KEY = 0xFD340785ADF8CFB7;
inline constexpr std::uint64_t DOES_ENTITY_EXIST = 0xD42BD6EB2E0F1677;
inline constexpr std::uint64_t PLAYER_PED_ID = 0x096275889B8E0EE0;
inline constexpr std::uint64_t GET_ENTITY_COORDS = 0xA86D5F069399F44D;
inline constexpr std::uint64_t PED_GRAPPLE_STATE = 0x753B15AD0FD6F3E3;
inline constexpr std::uint64_t PROMPT_SET_ENABLED = 0x8A0FB4D03A630D21;
inline constexpr std::uint64_t PROMPT_SET_VISIBLE = 0x71215ACCFDE075EE;

// Script loop
inline constexpr std::uint64_t PED_GRAPPLE_PARTNER = 0x18A3E9EE1297FD39;

// Grapple actions
inline constexpr std::uint64_t IS_PED_IN_ACTION = 0xDCCA191DF9980FD7;

// Prompt
inline constexpr std::uint64_t PROMPT_PREPARE = 0xA571D46727E2B718;
inline constexpr std::uint64_t PROMPT_REGISTER_BEGIN = 0x04F97DE45A519419;
inline constexpr std::uint64_t PROMPT_SET_CONTROL_ACTION = 0xB5352B7494A08258;
inline constexpr std::uint64_t CREATE_VAR_STRING = 0xFA925AC00EB830B9;
inline constexpr std::uint64_t PROMPT_SET_TEXT = 0x5DD02A8318420DD7;
inline constexpr std::uint64_t PROMPT_SET_PRIORITY = 0xCA24F528D0D16289;
inline constexpr std::uint64_t PROMPT_SET_OPTION = 0xC5F428EE08FA7F2C;
inline constexpr std::uint64_t PROMPT_SET_HOLD_MODE = 0x94073D5CA3F16B7B;
inline constexpr std::uint64_t PROMPT_REGISTER_END = 0xF7AA2696A22AD8B9;
inline constexpr std::uint64_t PROMPT_GET_GROUP_ID_FOR_TARGET_ENTITY = 0xB796970BD125FCE8;
inline constexpr std::uint64_t PROMPT_SET_GROUP = 0x2F11D3A254169EA4;

// Watcher
inline constexpr std::uint64_t PED_GRAPPLE_FLAG = 0x0E99E3BF11BB6367;
inline constexpr std::uint64_t PROMPT_HAS_HOLD_MODE_COMPLETED = 0xE0F65F0640EF0617;
inline constexpr std::uint64_t PROMPT_DELETE = 0x00EDE88D4D13CF59;
inline constexpr std::uint64_t DOES_ANIM_DICT_EXIST = 0x537F44CB0D7F150D;
inline constexpr std::uint64_t REQUEST_ANIM_DICT = 0xA862A2AD321F94B4;
inline constexpr std::uint64_t HAS_ANIM_DICT_LOADED = 0x27FF6FE8009B40CA;
inline constexpr std::uint64_t REMOVE_ANIM_DICT = 0x4763145053A33D46;

// Trough search and alignment
inline constexpr std::uint64_t GET_CLOSEST_OBJECT_OF_TYPE = 0xE143FA2249364369;
inline constexpr std::uint64_t GET_ENTITY_FORWARD_VECTOR = 0x2412D9C05BB09B97;
inline constexpr std::uint64_t GET_GROUND_Z_FOR_3D_COORD = 0x24FA4267BB8D2431;
inline constexpr std::uint64_t SET_ENTITY_COORDS = 0x06843DA7060A026B;
inline constexpr std::uint64_t SET_ENTITY_HEADING = 0xCF2B9C0645C4651B;
inline constexpr std::uint64_t PED_PLACEMENT_SWITCH = 0xB128377056A54E2A;
inline constexpr std::uint64_t START_PAIRED_ACTION = 0x779A2FFACEFAEA7B;

// Drowning effects
inline constexpr std::uint64_t GET_GAME_TIMER = 0x4F67E8ECA7D3F667;
inline constexpr std::uint64_t USE_PARTICLE_FX_ASSET = 0xA10DB07FC234DD12;
inline constexpr std::uint64_t PLAY_PARTICLE_FX_ON_PED = 0x3FAA72BD940C3AC0;
inline constexpr std::uint64_t PLAY_PED_AMBIENT_SPEECH_NATIVE = 0x8E04FEDD28D42462;
inline constexpr std::uint64_t IS_CONTROL_USED = 0x580417101DDB492F;
inline constexpr std::uint64_t KNOCKOUT_FINISH_1 = 0xA9A41C1E940FB0E8;
inline constexpr std::uint64_t KNOCKOUT_FINISH_2 = 0x1CE875505D45338A;
inline constexpr std::uint64_t KNOCKOUT_FINISH_3 = 0xB8BEC0CA6F0EDB0F;
inline constexpr std::uint64_t KNOCKOUT_FINISH_4 = 0xE1EF3C1216AFF2CD;
inline constexpr std::uint64_t THROW_SET_ACTION = 0x8301D87B1B89E219;
inline constexpr std::uint64_t THROW_SET_FLAGS = 0x789DABD18E9024DB;
inline constexpr std::uint64_t THROW_START = 0x648B75D44930D6BD;

// Nearby pedestrian scan
inline constexpr std::uint64_t IS_PED_HUMAN = 0xB980061DA992779D;
inline constexpr std::uint64_t IS_ENTITY_DEAD = 0x7D5B1F88E7504BBA;
inline constexpr std::uint64_t IS_PED_ON_MOUNT = 0x460BC76A0E10655E;
inline constexpr std::uint64_t IS_PED_IN_ANY_VEHICLE = 0x997ABD671D25CA0B;
inline constexpr std::uint64_t PED_STATE_TEST_A = 0xDDE5C125AC446723;
inline constexpr std::uint64_t PED_STATE_TEST_B = 0xB655DB7582AEC805;
inline constexpr std::uint64_t PED_STATE_TEST_C = 0x47E4E977581C5B55;
inline constexpr std::uint64_t GET_PED_CONFIG_FLAG = 0x7EE53118C892B513;
inline constexpr std::uint64_t POINT_SEPARATION = 0xB7A628320EFF8E47;

} // namespace sloshmere::native
