#include "world.h"

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
    for (const Prompt& prompt : prompts) {
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

void World::endPrompts() {
    for (Prompt& prompt : prompts) {
        prompt.ended = true;
    }
}

} // namespace sim
