#include "settings/controls.h"

#include <algorithm>
#include <cstdint>

namespace sloshmere {

namespace {

// The game's hash of a control name: one-at-a-time over the lower-cased bytes,
// with 32-bit wrap-around.
constexpr GameHash nameHash(std::string_view name) {
    GameHash h = 0;
    for (const char raw : name) {
        auto c = static_cast<std::uint8_t>(raw);
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<std::uint8_t>(c - 'A' + 'a');
        }
        h += c;
        h += h << 10;
        h ^= h >> 6;
    }
    h += h << 3;
    h ^= h >> 11;
    h += h << 15;
    return h;
}

// A control whose game hash is the hash of its own name.
constexpr ControlName byName(std::string_view name) {
    return {name, nameHash(name)};
}

} // namespace

// Sized by the initialiser itself: one name too many or too few is a compile
// error, not a trailing empty entry.
constexpr std::array<ControlName, controlNameCount> controlNames = std::to_array<ControlName>({
    byName("INPUT_DUCK"),
    byName("INPUT_SPRINT"),
    byName("INPUT_ATTACK"),
    byName("INPUT_AIM"),
    byName("INPUT_FRONTEND_LS"),
    // The game knows these two by hashes other than those of their names;
    // INPUT_FRONTEND_RDOWN shares the hash of INPUT_FRONTEND_DOWN.
    {"INPUT_FRONTEND_RDOWN", 0x05CA7C52},
    {"INPUT_HORSE_MOUNT", 0xE7D09D58},
    byName("INPUT_FRONTEND_RIGHT_AXIS_X"),
    byName("INPUT_SNIPER_ZOOM_OUT_ONLY"),
    byName("INPUT_SNIPER_ZOOM"),
    byName("INPUT_SNIPER_ZOOM_IN_ONLY"),
    byName("INPUT_EMOTE_TWIRL_GUN_VAR_B"),
    byName("INPUT_SELECT_QUICKSELECT_SIDEARMS_LEFT"),
    byName("INPUT_EMOTE_DANCE"),
    byName("INPUT_SELECT_QUICKSELECT_DUALWIELD"),
    byName("INPUT_EMOTE_TWIRL_GUN_VAR_A"),
    byName("INPUT_EMOTE_GREET"),
    byName("INPUT_SELECT_QUICKSELECT_SIDEARMS_RIGHT"),
    byName("INPUT_EMOTE_TWIRL_GUN_VAR_D"),
    byName("INPUT_EMOTE_COMM"),
    byName("INPUT_SELECT_QUICKSELECT_UNARMED"),
    byName("INPUT_EMOTE_TAUNT"),
    byName("INPUT_SELECT_QUICKSELECT_MELEE_NO_UNARMED"),
    byName("INPUT_SELECT_QUICKSELECT_SECONDARY_LONGARM"),
    byName("INPUT_SELECT_QUICKSELECT_THROWN"),
    byName("INPUT_SELECT_QUICKSELECT_PRIMARY_LONGARM"),
    byName("INPUT_MOVE_LEFT_ONLY"),
    byName("INPUT_FRONTEND_NAV_LEFT"),
    byName("INPUT_HORSE_MOVE_LEFT_ONLY"),
    byName("INPUT_VEH_CAR_TURN_LEFT_ONLY"),
    byName("INPUT_VEH_DRAFT_TURN_LEFT_ONLY"),
    byName("INPUT_VEH_BOAT_TURN_LEFT_ONLY"),
    byName("INPUT_VEH_MOVE_LEFT_ONLY"),
    byName("INPUT_OPEN_SATCHEL_MENU"),
    byName("INPUT_OPEN_SATCHEL_HORSE_MENU"),
    byName("INPUT_SHOP_BOUNTY"),
    byName("INPUT_SWITCH_FIRING_MODE"),
    byName("INPUT_FRONTEND_CANCEL"),
    byName("INPUT_GAME_MENU_CANCEL"),
    byName("INPUT_FRONTEND_RRIGHT"),
    byName("INPUT_QUIT"),
    byName("INPUT_MINIGAME_QUIT"),
    byName("INPUT_LOOK_BEHIND"),
    byName("INPUT_HORSE_LOOK_BEHIND"),
    byName("INPUT_CINEMATIC_CAM_CHANGE_SHOT"),
    byName("INPUT_CREATOR_RS"),
    byName("INPUT_VEH_LOOK_BEHIND"),
    byName("INPUT_SECONDARY_SPECIAL_ABILITY_SECONDARY"),
    byName("INPUT_SPECIAL_ABILITY"),
    byName("INPUT_FRONTEND_NAV_RIGHT"),
    byName("INPUT_MOVE_LR"),
    byName("INPUT_MOVE_RIGHT_ONLY"),
    byName("INPUT_SCRIPTED_FLY_LR"),
    byName("INPUT_FRONTEND_AXIS_X"),
    byName("INPUT_FRONTEND_SCROLL_AXIS_X"),
    byName("INPUT_CREATOR_DELETE"),
    byName("INPUT_FRONTEND_DELETE"),
    byName("INPUT_FRONTEND_DOWN"),
    byName("INPUT_GAME_MENU_DOWN"),
    byName("INPUT_FRONTEND_NAV_DOWN"),
    byName("INPUT_FRONTEND_SCROLL_AXIS_Y"),
    byName("INPUT_HORSE_MOVE_LR"),
    byName("INPUT_HORSE_MOVE_RIGHT_ONLY"),
    byName("INPUT_VEH_CAR_TURN_LR"),
    byName("INPUT_VEH_DRAFT_TURN_RIGHT_ONLY"),
    byName("INPUT_VEH_CAR_TURN_RIGHT_ONLY"),
    byName("INPUT_VEH_MOVE_RIGHT_ONLY"),
    byName("INPUT_VEH_DRAFT_TURN_LR"),
    byName("INPUT_VEH_BOAT_TURN_LR"),
    byName("INPUT_VEH_MOVE_LR"),
    byName("INPUT_VEH_BOAT_TURN_RIGHT_ONLY"),
    byName("INPUT_MELEE_GRAPPLE_CHOKE"),
    byName("INPUT_GAME_MENU_TAB_RIGHT"),
    byName("INPUT_LOOT_VEHICLE"),
    byName("INPUT_FRONTEND_RB"),
    byName("INPUT_INTERACT_LEAD_ANIMAL"),
    byName("INPUT_MELEE_GRAPPLE"),
    byName("INPUT_DYNAMIC_SCENARIO"),
    byName("INPUT_LOOT2"),
    byName("INPUT_LOOT"),
    byName("INPUT_REVIVE"),
    byName("INPUT_SHOP_INSPECT"),
    byName("INPUT_MELEE_GRAPPLE_REVERSAL"),
    byName("INPUT_BREAK_VEHICLE_LOCK"),
    byName("INPUT_MAP_POI"),
    byName("INPUT_INTERACT_LOCKON_ROB"),
    byName("INPUT_ARREST"),
    byName("INPUT_HITCH_ANIMAL"),
    byName("INPUT_IGNITE"),
    byName("INPUT_ENTER"),
    byName("INPUT_CONTEXT_Y"),
    byName("INPUT_SURRENDER"),
    byName("INPUT_SHOP_BUY"),
    byName("INPUT_INTERACT_LOCKON_TRACK_ANIMAL"),
    byName("INPUT_INTERACT_LOCKON_DETACH_HORSE"),
    byName("INPUT_CRAFTING_EAT"),
    byName("INPUT_HORSE_EXIT"),
    byName("INPUT_VEH_EXIT"),
    byName("INPUT_RADIAL_MENU_SLOT_NAV_NEXT"),
    byName("INPUT_CREATOR_ACCEPT"),
    byName("INPUT_GAME_MENU_ACCEPT"),
    byName("INPUT_FRONTEND_ACCEPT"),
    byName("INPUT_SKIP_CUTSCENE"),
    byName("INPUT_FRONTEND_PAUSE_ALTERNATE"),
    byName("INPUT_FRONTEND_KEYMAPPING_CANCEL"),
    byName("INPUT_INTERACT_HIT_CARRIABLE"),
    byName("INPUT_INTERACT_LOCKON_NEG"),
    byName("INPUT_CONTEXT_B"),
    byName("INPUT_INTERACT_NEG"),
    byName("INPUT_CARRIABLE_SUICIDE"),
    byName("INPUT_STOP_LEADING_ANIMAL"),
    byName("INPUT_MELEE_GRAPPLE_ATTACK"),
    byName("INPUT_MELEE_ATTACK"),
    byName("INPUT_CUT_FREE"),
    byName("INPUT_GAME_MENU_EXTRA_OPTION"),
    byName("INPUT_HOGTIE"),
    byName("INPUT_SHOP_SPECIAL"),
    byName("INPUT_CAMP_BED_INSPECT"),
    byName("INPUT_HORSE_COMMAND_FLEE"),
    byName("INPUT_HORSE_MELEE"),
    byName("INPUT_SELECT_ITEM_WHEEL"),
    byName("INPUT_PHOTO_MODE_PC"),
    byName("INPUT_PHOTO_MODE"),
    byName("INPUT_INTERACT_LOCKON_ANIMAL"),
    byName("INPUT_INTERACT_OPTION1"),
    byName("INPUT_INTERACT_ANIMAL"),
    byName("INPUT_VEH_HORN"),
    byName("INPUT_WHISTLE"),
    byName("INPUT_SADDLE_TRANSFER"),
    byName("INPUT_INTERACT_OPTION2"),
    byName("INPUT_MULTIPLAYER_PREDATOR_ABILITY"),
    byName("INPUT_WHISTLE_HORSEBACK"),
    byName("INPUT_FRONTEND_SOCIAL_CLUB"),
    byName("INPUT_QUICK_USE_ITEM"),
    byName("INPUT_OPEN_JOURNAL"),
    byName("INPUT_PLAYER_MENU"),
    byName("INPUT_HUD_SPECIAL"),
    byName("INPUT_PC_FREE_LOOK"),
    byName("INPUT_REVEAL_HUD"),
    byName("INPUT_SELECT_RADAR_MODE"),
    byName("INPUT_MULTIPLAYER_INFO"),
    byName("INPUT_DOCUMENT_PAGE_PREV"),
    byName("INPUT_FRONTEND_LEFT"),
    byName("INPUT_GAME_MENU_LEFT"),
    byName("INPUT_CREATOR_LS"),
    byName("INPUT_MELEE_GRAPPLE_MOUNT_SWITCH"),
    byName("INPUT_SCRIPTED_FLY_ZDOWN"),
    byName("INPUT_FRONTEND_RUP"),
    byName("INPUT_CAMP_SETUP_TENT"),
    byName("INPUT_HORSE_STOP"),
    byName("INPUT_VEH_HANDCART_BRAKE"),
    byName("INPUT_VEH_BOAT_BRAKE"),
    byName("INPUT_VEH_HANDBRAKE"),
    byName("INPUT_VEH_BRAKE"),
    byName("INPUT_VEH_CAR_BRAKE"),
    byName("INPUT_VEH_DRAFT_BRAKE"),
    byName("INPUT_FRONTEND_Y"),
    byName("INPUT_SCRIPTED_FLY_ZUP"),
    byName("INPUT_HORSE_SPRINT"),
    byName("INPUT_VEH_ACCELERATE"),
    byName("INPUT_VEH_FLY_THROTTLE_UP"),
    byName("INPUT_VEH_BOAT_ACCELERATE"),
    byName("INPUT_VEH_CAR_ACCELERATE"),
    byName("INPUT_VEH_DRAFT_ACCELERATE"),
    byName("INPUT_VEH_HANDCART_ACCELERATE"),
    byName("INPUT_MAP"),
    byName("INPUT_CONTEXT_RT"),
    byName("INPUT_CURSOR_ACCEPT"),
    byName("INPUT_CONTEXT_ACTION"),
    byName("INPUT_EMOTE_ACTION"),
    byName("INPUT_CURSOR_ACCEPT_DOUBLE_CLICK"),
    byName("INPUT_HORSE_ATTACK"),
    byName("INPUT_VEH_PASSENGER_ATTACK"),
    byName("INPUT_VEH_CAR_ATTACK"),
    byName("INPUT_VEH_BOAT_ATTACK"),
    byName("INPUT_VEH_DRAFT_ATTACK"),
    byName("INPUT_VEH_ATTACK"),
    byName("INPUT_CURSOR_ACCEPT_HOLD"),
    byName("INPUT_CINEMATIC_CAM_UD"),
    byName("INPUT_LOOK_DOWN_ONLY"),
    byName("INPUT_RADIAL_MENU_NAV_UD"),
    byName("INPUT_LOOK_UD"),
    byName("INPUT_CURSOR_Y"),
    byName("INPUT_HORSE_GUN_UD"),
    byName("INPUT_VEH_GUN_UD"),
    byName("INPUT_VEH_STUNT_UD"),
    byName("INPUT_RADIAL_MENU_NAV_LR"),
    byName("INPUT_CINEMATIC_CAM_LR"),
    byName("INPUT_LOOK_RIGHT_ONLY"),
    byName("INPUT_LOOK_LR"),
    byName("INPUT_CURSOR_X"),
    byName("INPUT_HORSE_GUN_LR"),
    byName("INPUT_VEH_GUN_LR"),
    byName("INPUT_INSPECT_ZOOM"),
    byName("INPUT_SPECIAL_ABILITY_SECONDARY"),
    byName("INPUT_MELEE_GRAPPLE_STAND_SWITCH"),
    byName("INPUT_CONTEXT_LT"),
    byName("INPUT_INTERACT_LOCKON"),
    byName("INPUT_EMOTE_TWIRL_GUN_HOLD"),
    byName("INPUT_MELEE_MODIFIER"),
    byName("INPUT_CURSOR_CANCEL"),
    byName("INPUT_HORSE_AIM"),
    byName("INPUT_VEH_CAR_AIM"),
    byName("INPUT_VEH_BOAT_AIM"),
    byName("INPUT_VEH_DRAFT_AIM"),
    byName("INPUT_VEH_AIM"),
    byName("INPUT_VEH_PASSENGER_AIM"),
    byName("INPUT_QUICK_SELECT_SET_FOR_SWAP"),
    byName("INPUT_CURSOR_SCROLL_DOWN"),
    byName("INPUT_GAME_MENU_SCROLL_BACKWARD"),
    byName("INPUT_SELECT_NEXT_WEAPON"),
    byName("INPUT_NEXT_WEAPON"),
    byName("INPUT_TOGGLE_WEAPON_SCOPE"),
    byName("INPUT_ACCURATE_AIM"),
    byName("INPUT_CURSOR_SCROLL_UP"),
    byName("INPUT_GAME_MENU_SCROLL_FORWARD"),
    byName("INPUT_IRON_SIGHT"),
    byName("INPUT_FRONTEND_RIGHT_AXIS_Y"),
    byName("INPUT_SELECT_PREV_WEAPON"),
    byName("INPUT_PREV_WEAPON"),
    byName("INPUT_PUSH_TO_TALK"),
    byName("INPUT_VEH_HEADLIGHT"),
    byName("INPUT_FRONTEND_PAUSE"),
    byName("INPUT_CREATOR_RT"),
    byName("INPUT_FRONTEND_LT"),
    byName("INPUT_CREATOR_LT"),
    byName("INPUT_FRONTEND_RT"),
    byName("INPUT_GAME_MENU_TAB_LEFT"),
    byName("INPUT_DIVE"),
    byName("INPUT_SPECIAL_ABILITY_ACTION"),
    byName("INPUT_INTERACT_LOCKON_TARGET_INFO"),
    byName("INPUT_PROMPT_PAGE_NEXT"),
    byName("INPUT_INTERACT_LOCKON_STUDY_BINOCULARS"),
    byName("INPUT_COVER"),
    byName("INPUT_FRONTEND_LB"),
    byName("INPUT_RADIAL_MENU_SLOT_NAV_PREV"),
    byName("INPUT_LOOT3"),
    byName("INPUT_CARRIABLE_BREAK_FREE"),
    byName("INPUT_SHOP_SELL"),
    byName("INPUT_INTERACT_LOCKON_CALL_ANIMAL"),
    byName("INPUT_PLACE_CARRIABLE_ONTO_PARENT"),
    byName("INPUT_MERCY_KILL"),
    byName("INPUT_PICKUP_CARRIABLE_FROM_PARENT"),
    byName("INPUT_MELEE_BLOCK"),
    byName("INPUT_PICKUP_CARRIABLE2"),
    byName("INPUT_MELEE_GRAPPLE_BREAKOUT"),
    byName("INPUT_DROP"),
    byName("INPUT_RELOAD"),
    byName("INPUT_CONTEXT_X"),
    byName("INPUT_PICKUP_CARRIABLE"),
    byName("INPUT_BREAK_DOOR_LOCK"),
    byName("INPUT_INTERACT_LOCKON_POS"),
    byName("INPUT_INTERACT_POS"),
    byName("INPUT_LOOT_ALIVE_COMPONENT"),
    byName("INPUT_GAME_MENU_RIGHT"),
    byName("INPUT_DOCUMENT_PAGE_NEXT"),
    byName("INPUT_FRONTEND_RIGHT"),
    byName("INPUT_SELECT_NEXT_WHEEL"),
    byName("INPUT_FRONTEND_AXIS_Y"),
    byName("INPUT_SCRIPTED_FLY_UD"),
    byName("INPUT_MOVE_DOWN_ONLY"),
    byName("INPUT_MOVE_UD"),
    byName("INPUT_FRONTEND_RLEFT"),
    byName("INPUT_CONTEXT_A"),
    byName("INPUT_FRONTEND_X"),
    byName("INPUT_VEH_TRAVERSAL"),
    byName("INPUT_COVER_TRANSITION"),
    byName("INPUT_HORSE_JUMP"),
    byName("INPUT_JUMP"),
    byName("INPUT_GAME_MENU_OPTION"),
    byName("INPUT_QUICK_SHORTCUT_ABILITIES_MENU"),
    byName("INPUT_HORSE_MOVE_UD"),
    byName("INPUT_HORSE_MOVE_DOWN_ONLY"),
    byName("INPUT_VEH_MOVE_DOWN_ONLY"),
    byName("INPUT_VEH_DRAFT_MOVE_UD"),
    byName("INPUT_VEH_MOVE_UD"),
    byName("INPUT_MP_TEXT_CHAT_ALL"),
    byName("INPUT_FRONTEND_SELECT"),
    byName("INPUT_CREATOR_MENU_TOGGLE"),
    byName("INPUT_PICKUP"),
    byName("INPUT_TOGGLE_HOLSTER"),
    byName("INPUT_OPEN_WHEEL_MENU"),
    byName("INPUT_TWIRL_PISTOL"),
    byName("INPUT_EMOTE_GROUP_LINK"),
    byName("INPUT_EMOTE_GROUP_LINK_HORSE"),
    byName("INPUT_OPEN_EMOTE_WHEEL"),
    byName("INPUT_AIM_IN_AIR"),
    byName("INPUT_FRONTEND_UP"),
    byName("INPUT_FRONTEND_NAV_UP"),
    byName("INPUT_GAME_MENU_UP"),
    byName("INPUT_CINEMATIC_CAM"),
    byName("INPUT_NEXT_CAMERA"),
    byName("INPUT_FOCUS_CAM"),
    byName("INPUT_MOVE_UP_ONLY"),
    byName("INPUT_HORSE_MOVE_UP_ONLY"),
    byName("INPUT_VEH_MOVE_UP_ONLY"),
    byName("INPUT_FRONTEND_RS"),
    byName("INPUT_SWITCH_SHOULDER"),
    byName("INPUT_GAME_MENU_TAB_RIGHT_SECONDARY"),
    byName("INPUT_GAME_MENU_TAB_LEFT_SECONDARY"),
    byName("INPUT_VEH_DRAFT_SWITCH_DRIVERS"),
    byName("INPUT_VEH_SHUFFLE"),
});

namespace {

constexpr bool isControlByte(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '1' && c <= '3') || c == '_';
}

constexpr bool wellFormed(const ControlName& control) {
    return control.name.starts_with("INPUT_") && control.name.size() >= 9 &&
           control.name.size() <= 42 &&
           std::all_of(control.name.begin(), control.name.end(), isControlByte);
}

constexpr bool namesDistinct() {
    for (std::size_t i = 0; i < controlNames.size(); ++i) {
        for (std::size_t j = i + 1; j < controlNames.size(); ++j) {
            if (controlNames[i].name == controlNames[j].name) {
                return false;
            }
        }
    }
    return true;
}

// The settings load stores any control it finds, relying on this.
static_assert(std::none_of(controlNames.begin(), controlNames.end(),
                           [](const ControlName& control) {
                               return control.value == unresolvedControl;
                           }));
static_assert(std::all_of(controlNames.begin(), controlNames.end(), wellFormed));
static_assert(namesDistinct());
static_assert(std::count_if(controlNames.begin(), controlNames.end(),
                            [](const ControlName& control) {
                                return control.value != nameHash(control.name);
                            }) == 2);

} // namespace

std::unordered_map<std::string, GameHash> buildControlNameTable() {
    std::unordered_map<std::string, GameHash> table;
    table.reserve(controlNames.size());
    for (const auto& control : controlNames) {
        // emplace keeps the first value should a name ever be listed twice.
        table.emplace(control.name, control.value);
    }
    return table;
}

} // namespace sloshmere
