// The scriptable game world behind the simulated host. Tests set it up, the
// native handlers answer from it, and frame hooks change it as frames pass.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct Vec3 {
    float x = 0.0F;
    float y = 0.0F;
    float z = 0.0F;
};

struct Ped {
    int handle = 0;
    bool exists = true;
    Vec3 position{};
    // Who this pedestrian holds in a grapple (what the game reports for it).
    int grapplePartner = 0;
    // The 32-bit grapple state the game reports for this pedestrian.
    std::uint32_t grappleState = 0;
    // The grapple flag the game reports for this pedestrian.
    std::int32_t grappleFlag = 0;
    // The prompt group the game keeps for prompts aimed at this pedestrian;
    // -1 when it has none.
    std::int32_t promptGroup = -1;
};

struct Prompt {
    int id = 0;
    std::uint32_t control = 0;
    std::string label;
    int priority = 0;
    int option = 0;
    int holdMode = 0;
    bool registered = false; // registration ended
    bool enabled = false;
    bool visible = false;
    int group = -1;
    bool deleted = false;
    // Set by the scenario when the player completes the hold.
    bool holdCompleted = false;
};

struct AnimDict {
    // HAS_ANIM_DICT_LOADED answers true from this poll on (1 = the first);
    // a negative value never loads.
    int loadedAfterPolls = 1;
    bool requested = false;
    int polls = 0;
};

struct World {
    // PLAYER_PED_ID answers this.
    int playerHandle = 1;
    // Pedestrians in the order worldGetAllPeds lists them.
    std::vector<Ped> peds;
    // When set, worldGetAllPeds reports this count whatever it wrote.
    std::optional<int> reportedPedCount;

    // The game clock GET_GAME_TIMER reads; it moves by gameTimerStep each frame
    // and wraps past 0xFFFFFFFF as the game's does.
    std::uint32_t gameTimer = 0;
    std::uint32_t gameTimerStep = 33;

    // The clock GetTickCount reads (Linux builds only; Windows has its own).
    std::uint64_t tickMs = 0;

    // Registered prompts, deleted ones included, in registration order.
    std::vector<Prompt> prompts;
    int nextPromptId = 1;
    // Texts CREATE_VAR_STRING has made; the value it returns names one.
    std::vector<std::string> varStrings;
    // Animation dictionaries that exist in the game, by name.
    std::map<std::string, AnimDict> animDicts;

    Ped* findPed(int handle);
    Prompt* findPrompt(int id);
    Ped& addPed(int handle);
};

} // namespace sim
