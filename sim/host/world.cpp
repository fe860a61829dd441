#include "world.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace sim {

float squaredDistance(Vec3 a, Vec3 b) {
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    const float dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz;
}

float distance(Vec3 a, Vec3 b) {
    return std::sqrt(squaredDistance(a, b));
}

Ped* World::findPed(int handle) {
    if (indexedData_ != nullptr && indexedData_ == peds.data() && indexedSize_ == peds.size()) {
        const auto found = pedIndex_.find(handle);
        return found == pedIndex_.end() ? nullptr : &peds[found->second];
    }
    for (Ped& ped : peds) {
        if (ped.handle == handle) {
            return &ped;
        }
    }
    return nullptr;
}

void World::indexPeds() {
    pedIndex_.clear();
    for (std::size_t i = 0; i < peds.size(); ++i) {
        pedIndex_.try_emplace(peds[i].handle, i);
    }
    indexedData_ = peds.data();
    indexedSize_ = peds.size();
}

Prompt* World::findPrompt(int id) {
    return const_cast<Prompt*>(std::as_const(*this).findPrompt(id));
}

const Prompt* World::findPrompt(int id) const {
    const auto found = std::find_if(prompts.rbegin(), prompts.rend(),
                                    [id](const Prompt& prompt) { return prompt.id == id; });
    return found == prompts.rend() ? nullptr : &*found;
}

const Prompt* World::findPrompt(int id, int run) const {
    for (const Prompt& prompt : prompts) {
        if (prompt.id == id && prompt.run == run) {
            return &prompt;
        }
    }
    return nullptr;
}

Prompt& World::registerPrompt() {
    Prompt& prompt = prompts.emplace_back();
    if (freedPromptIds.empty()) {
        prompt.id = nextPromptId++;
    } else {
        prompt.id = freedPromptIds.front();
        freedPromptIds.erase(freedPromptIds.begin());
    }
    prompt.run = scriptRun;
    return prompt;
}

Prompt& World::addGamePrompt(const std::string& label) {
    Prompt& prompt = registerPrompt();
    prompt.ofTheGame = true;
    prompt.label = label;
    prompt.registered = true;
    prompt.enabled = true;
    prompt.visible = true;
    return prompt;
}

Ped& World::addPed(int handle) {
    Ped& ped = peds.emplace_back();
    ped.handle = handle;
    return ped;
}

Object* World::findObject(int handle) {
    return const_cast<Object*>(std::as_const(*this).findObject(handle));
}

const Object* World::findObject(int handle) const {
    for (const Object& object : objects) {
        if (object.handle == handle) {
            return &object;
        }
    }
    return nullptr;
}

Object& World::addObject(int handle, std::uint32_t model, Vec3 position) {
    Object& object = objects.emplace_back();
    object.handle = handle;
    object.model = model;
    object.position = position;
    return object;
}

void World::endScriptRun() {
    for (const Prompt& prompt : prompts) {
        // A deleted id stays out of the pool: the script may still ask about
        // the prompt it deleted itself, and must find nobody else's there.
        if (prompt.run == scriptRun && !prompt.deleted) {
            freedPromptIds.push_back(prompt.id);
        }
    }
    std::sort(freedPromptIds.begin(), freedPromptIds.end());
    ++scriptRun;
}

} // namespace sim
