#include "world.h"

namespace sim {

Ped* World::findPed(int handle) {
    for (Ped& ped : peds) {
        if (ped.handle == handle) {
            return &ped;
        }
    }
    return nullptr;
}

Prompt* World::findPrompt(int id) {
    for (Prompt& prompt : prompts) {
        if (prompt.id == id) {
            return &prompt;
        }
    }
    return nullptr;
}

Ped& World::addPed(int handle) {
    Ped& ped = peds.emplace_back();
    ped.handle = handle;
    return ped;
}

} // namespace sim
