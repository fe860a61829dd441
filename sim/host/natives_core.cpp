// Natives every scenario needs: names, the player, grapple partner and state,
// existence and position (of pedestrians and objects).
#include "host.h"
#include "joaat.h"
#include "natives.h"

namespace sim {

void installCoreNatives(Host& host) {
    World& world = host.world;

    host.handle(0xFD340785ADF8CFB7, [&host](NativeCall& call) { // GET_HASH_KEY
        std::string name = call.str(0);
        const std::uint32_t hash = joaat(name);
        call.returnUint(hash);
        host.hashedNames.try_emplace(hash, std::move(name));
    });
    host.handle(0x096275889B8E0EE0, [&world](NativeCall& call) { // PLAYER_PED_ID
        call.returnInt(world.playerHandle);
    });
    host.handle(0x18A3E9EE1297FD39, [&world](NativeCall& call) { // PED_GRAPPLE_PARTNER
        const Ped* ped = world.findPed(call.i32(0));
        call.returnInt(ped != nullptr ? ped->grapplePartner : 0);
    });
    host.handle(0x753B15AD0FD6F3E3, [&world](NativeCall& call) { // PED_GRAPPLE_STATE
        const Ped* ped = world.findPed(call.i32(0));
        call.returnUint(ped != nullptr ? ped->grappleState : 0U);
    });
    host.handle(0xD42BD6EB2E0F1677, [&world](NativeCall& call) { // DOES_ENTITY_EXIST
        const int handle = call.i32(0);
        const Ped* ped = world.findPed(handle);
        const Object* object = world.findObject(handle);
        call.returnBool((ped != nullptr && ped->exists) || (object != nullptr && object->exists));
    });
    host.handle(0xA86D5F069399F44D, [&world](NativeCall& call) { // GET_ENTITY_COORDS
        const int handle = call.i32(0);
        call.i32(1);
        call.i32(2);
        if (const Ped* ped = world.findPed(handle)) {
            call.returnVec3(ped->position);
        } else if (const Object* object = world.findObject(handle)) {
            call.returnVec3(object->position);
        }
    });
}

} // namespace sim
