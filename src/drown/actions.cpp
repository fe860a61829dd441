#include "drown/actions.h"

#include "host/native_hashes.h"

namespace sloshmere {

const std::array<const char*, grappleActionCount> grappleActionNames = {
    "AR_TO_TROUGH_FROM_STANDING_CUSTOM",
    "AR_GRAPPLE_STRUGGLE",
    "AR_GRAPPLE_STRUGGLE_FRONT",
    "AR_GRAPPLE_STRUGGLE_FRONT_V2",
    "AR_GRAPPLE_STRUGGLE_FRONT_V3",
    "AR_GRAPPLE_STRUGGLE_PISTOL_MOUNTED",
    "AR_GRAPPLE_STRUGGLE_RIFLE",
    "AR_GRAPPLE_STRUGGLE_KNIFE_FRONT",
    "AR_GRAPPLE_STRUGGLE_KNIFE_BACK",
    "AR_GRAPPLE_CHALLENGE_FRONT",
    "AR_GRAPPLE_STRUGGLE_KNOCKOUT",
    "AR_GRAPPLE_STRUGGLE_IDLE",
    "AR_GRAPPLE_STRUGGLE_INTRO",
    "AR_GRAPPLE_CHOKE",
    "AR_GRAPPLE_CHOKE_BACK",
    "AR_grapple_switch_front_to_back",
    "AR_grapple_switch_back_to_front",
    "AR_grapple_switch_mount_to_front",
    "AR_grapple_switch_front_to_mount",
    "AR_GRAPPLE_CHOKE_INTRO",
    "AR_GRAPPLE_CHOKE_FRONT",
    "AR_GRAPPLE_CHOKE_IDLE_FRONT",
    "AR_GRAPPLE_CHOKE_IDLE_BACK",
    "AR_GRAPPLE_CHOKE_INTRO_FRONT",
    "AR_grapple_mount_standing_from_front",
    "AR_grapple_mount_standing_from_left",
    "AR_grapple_mount_standing_from_right",
    "AR_grapple_mount_standing_from_back",
    "AR_grapple_mount_running_from_front",
    "AR_grapple_mount_running_from_left",
    "AR_grapple_mount_running_from_right",
    "AR_grapple_mount_running_from_back",
    "AR_grapple_front_from_front",
    "AR_grapple_front_from_front_med",
    "AR_grapple_front_from_left",
    "AR_grapple_front_from_left_med",
    "AR_grapple_front_from_front_far",
    "AR_grapple_front_from_left_far",
    "AR_grapple_front_from_right",
    "AR_grapple_front_from_right_med",
    "AR_grapple_front_from_right_far",
    "AR_grapple_back_from_back",
    "AR_grapple_back_from_back_med",
    "AR_grapple_back_from_back_far",
    "AR_grapple_back_from_left_far",
    "AR_grapple_back_from_left",
    "AR_grapple_back_from_left_med",
    "AR_grapple_back_from_right",
    "AR_grapple_back_from_right_med",
    "AR_grapple_back_from_right_far",
    "AR_GRAPPLE_CHALLENGE_FRONT_AI",
    "AR_MUD2_Struggle_Idle_1",
    "AR_MUD2_Struggle_Idle_1_Fidget",
    "AR_MUD2_Struggle_Idle_1_Fidget2",
    "AR_MUD2_Struggle_Idle_1_Fidget3",
    "AR_MUD2_Struggle_Idle_2",
    "AR_MUD2_Struggle_Attack_1",
    "AR_MUD2_Struggle_Attack_2",
    "AR_MUD2_Struggle_KO",
    "AR_MUD2_Choke_Player_From_Idle1",
    "AR_MUD2_Choke_Player_From_Idle2",
    "AR_GRAPPLE_CHALLENGE_FRONT_NEUTRAL_BREAKOUT",
    "AR_GRAPPLE_CHALLENGE_FRONT_FAILURE_BREAKOUT",
    "AR_MUD2_Struggle_Transition_1",
    "AR_GRAPPLE_CHALLENGE_FRONT_IDLE",
    "AR_GRAPPLE_CHALLENGE_FRONT_IDLE_V02",
    "AR_GRAPPLE_CHALLENGE_FRONT_IDLE_V03",
};

std::vector<GameHash> grappleActionHashes() {
    // Hashes are never kept between passes: the game is asked for every name
    // each time, and the result is allocated once, at its final size, only
    // after all 67 answers are in.
    std::array<GameHash, grappleActionCount> hashes{};
    for (std::size_t i = 0; i < grappleActionCount; ++i) {
        hashes[i] = callNative<GameHash>(native::GET_HASH_KEY, grappleActionNames[i]);
    }
    return {hashes.begin(), hashes.end()};
}

std::int32_t isPedInAction(Entity ped, GameHash action) {
    // The game expects 1 between the pedestrian and the action; nothing is
    // checked here, so a handle of 0 goes to the game as it is.
    constexpr std::int32_t actionQueryFlag = 1;
    return callNative<std::int32_t>(native::IS_PED_IN_ACTION, ped, actionQueryFlag, action);
}

} // namespace sloshmere
