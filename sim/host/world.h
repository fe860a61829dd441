// The scriptable game world behind the simulated host. Tests set it up, the
// native handlers answer from it, and frame hooks change it as frames pass.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace sim {

struct Vec3 {
    float x = 0.0F;
    float y = 0.0F;
    float z = 0.0F;
};

// The square of the straight-line distance between two points, in single
// precision, summed x, y, z.
float squaredDistance(Vec3 a, Vec3 b);
// The straight-line distance between two points, in single precision.
float distance(Vec3 a, Vec3 b);

struct Ped {
    int handle = 0;
    bool exists = true;
    Vec3 position{};
    // Who this pedestrian holds in a grapple (what the game reports for it).
    int grapplePartner = 0;
    // The 32-bit grapple state the game reports for this pedestrian.
    std::uint32_t grappleState = 0;
    // The hashes of the actions this pedestrian is performing now.
    std::vector<std::uint32_t> actions;

    // Set by SET_ENTITY_HEADING, in degrees.
    float heading = 0.0F;
    // The per-pedestrian switch the module turns off while it moves the pair.
    bool placementSwitch = true;
    // The paired action this pedestrian leads, and with whom; 0 when none.
    std::uint32_t pairedAction = 0;
    int pairedPartner = 0;

    // What the pedestrian tests of the nearby scan report.
    bool human = true;
    bool dead = false;
    bool onMount = false;
    bool inVehicle = false;
    bool stateTestA = false;
    bool stateTestB = false;
    bool stateTestC = false;
    // The config flags that are set.
    std::vector<int> configFlags;
    // When set, the separation native answers this (instead of the squared
    // distance) for a second point equal to this pedestrian's position.
    std::optional<float> separation;
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
    // One of the game's own prompts (a "Loot" prompt, say), not the script's.
    bool ofTheGame = false;
    // The run of the scripts it was made in (World::scriptRun then). Once the
    // game restarts its scripts the prompt is gone: calls naming it reach
    // nothing, and unless it was deleted its id goes back to the pool.
    int run = 0;
};

// How the note of a call begins when the call names a prompt the script did
// not make in its current run: another owner's, or one a restart dropped. The
// real game would not close, but it would act on whichever prompt now holds
// the id, so the story tells every such call as a finding.
inline constexpr std::string_view notTheScriptsPrompt = "not the script's prompt: ";

struct AnimDict {
    // HAS_ANIM_DICT_LOADED answers true from this poll on (1 = the first);
    // a negative value never loads.
    int loadedAfterPolls = 1;
    bool requested = false;
    int polls = 0;
};

// A placed object, such as a water trough.
struct Object {
    int handle = 0;
    bool exists = true;
    std::uint32_t model = 0;
    Vec3 position{};
    // The way the object faces; GET_ENTITY_FORWARD_VECTOR answers it as it is.
    Vec3 forward{0.0F, 1.0F, 0.0F};
};

struct World {
    // PLAYER_PED_ID answers this.
    int playerHandle = 1;
    // Pedestrians in the order worldGetAllPeds lists them.
    std::vector<Ped> peds;
    // When set, worldGetAllPeds reports this count whatever it wrote.
    std::optional<int> reportedPedCount;
    // Objects the closest-object search looks through. Handles are distinct
    // from the pedestrians'.
    std::vector<Object> objects;
    // The ground height a probe finds anywhere; none means every probe fails.
    std::optional<float> groundZ;

    // The game clock GET_GAME_TIMER reads; it moves by gameTimerStep each frame
    // and wraps past 0xFFFFFFFF as the game's does.
    std::uint32_t gameTimer = 0;
    std::uint32_t gameTimerStep = 33;

    // The (pad, control hash) pairs the control query reports as used.
    std::vector<std::pair<int, std::uint32_t>> usedControls;

    // The clock GetTickCount reads (Linux builds only; Windows has its own).
    std::uint64_t tickMs = 0;

    // Registered prompts, deleted ones and those of ended runs included, in
    // registration order. An id may appear more than once: the game hands
    // out again the ids a restart dropped.
    std::vector<Prompt> prompts;
    int nextPromptId = 1;
    // Ids a restart dropped, lowest first: the next registrations, the
    // game's own first, take them before any new id.
    std::vector<int> freedPromptIds;
    // Restarts of the game's scripts so far; the prompts of the current run
    // carry this number.
    int scriptRun = 0;
    // Texts CREATE_VAR_STRING has made; the value it returns names one.
    std::vector<std::string> varStrings;
    // Animation dictionaries that exist in the game, by name.
    std::map<std::string, AnimDict> animDicts;

    Ped* findPed(int handle);
    // Makes findPed a table lookup, for a large crowd that no longer changes
    // (the benchmarks' 1024 pedestrians): call it once every pedestrian is
    // added, and again after adding, removing or re-handling one. A change of
    // size or a move of the array drops the table by itself.
    void indexPeds();
    // The prompt the id names now: the newest one given that id.
    Prompt* findPrompt(int id);
    [[nodiscard]] const Prompt* findPrompt(int id) const;
    // The prompt that held the id in the given run of the scripts.
    [[nodiscard]] const Prompt* findPrompt(int id, int run) const;
    // A new prompt of the current run, its id taken from the pool first.
    Prompt& registerPrompt();
    // One of the game's own prompts, registered, enabled and shown.
    Prompt& addGamePrompt(const std::string& label);
    // The game ends the run of its scripts: every prompt is gone, and the ids
    // of those not deleted go back to the pool.
    void endScriptRun();
    Ped& addPed(int handle);
    Object* findObject(int handle);
    [[nodiscard]] const Object* findObject(int handle) const;
    Object& addObject(int handle, std::uint32_t model, Vec3 position);

private:
    // Handle -> position of its first pedestrian, valid for the peds array
    // it was built over.
    std::unordered_map<int, std::size_t> pedIndex_;
    const Ped* indexedData_ = nullptr;
    std::size_t indexedSize_ = 0;
};

} // namespace sim
