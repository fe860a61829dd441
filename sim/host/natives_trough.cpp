// Natives of the trough search and placement: the closest-object search, the
// way an object faces, the ground probe, moving and turning pedestrians, the
// placement switch and the paired action.
#include "format_text.h"
#include "host.h"
#include "natives.h"

namespace sim {

void installTroughNatives(Host& host) {
    World& world = host.world;

    // The nearest existing object of the model within the radius of the point,
    // 3D distance; the earlier object wins a tie.
    host.handle(0xE143FA2249364369, [&world](NativeCall& call) { // GET_CLOSEST_OBJECT_OF_TYPE
        const Vec3 from{call.f32(0), call.f32(1), call.f32(2)};
        const float radius = call.f32(3);
        const std::uint32_t model = call.u32(4);
        call.i32(5);
        call.i32(6);
        call.i32(7);
        const Object* nearest = nullptr;
        float nearestDistance = 0.0F;
        for (const Object& object : world.objects) {
            if (!object.exists || object.model != model) {
                continue;
            }
            const float d = distance(from, object.position);
            if (d <= radius && (nearest == nullptr || d < nearestDistance)) {
                nearest = &object;
                nearestDistance = d;
            }
        }
        call.returnInt(nearest != nullptr ? nearest->handle : 0);
    });
    host.handle(0x2412D9C05BB09B97, [&world](NativeCall& call) { // GET_ENTITY_FORWARD_VECTOR
        const Object* object = world.findObject(call.i32(0));
        call.returnVec3(object != nullptr ? object->forward : Vec3{});
    });
    host.handle(0x24FA4267BB8D2431, [&world](NativeCall& call) { // GET_GROUND_Z_FOR_3D_COORD
        call.f32(0);
        call.f32(1);
        call.f32(2);
        auto* ground = call.address<float>(3);
        call.i32(4);
        if (!world.groundZ.has_value() || ground == nullptr) {
            call.note("no ground found");
            return;
        }
        *ground = *world.groundZ;
        call.note(formatText("ground %g written", static_cast<double>(*world.groundZ)));
        call.returnBool(true);
    });
    host.handle(0x06843DA7060A026B, [&world](NativeCall& call) { // SET_ENTITY_COORDS
        const int handle = call.i32(0);
        const Vec3 to{call.f32(1), call.f32(2), call.f32(3)};
        for (std::size_t i = 4; i < 8; ++i) {
            call.i32(i);
        }
        if (Ped* ped = world.findPed(handle)) {
            ped->position = to;
        } else if (Object* object = world.findObject(handle)) {
            object->position = to;
        }
    });
    host.handle(0xCF2B9C0645C4651B, [&world](NativeCall& call) { // SET_ENTITY_HEADING
        Ped* ped = world.findPed(call.i32(0));
        const float heading = call.f32(1);
        if (ped != nullptr) {
            ped->heading = heading;
        }
    });
    host.handle(0xB128377056A54E2A, [&world](NativeCall& call) { // PED_PLACEMENT_SWITCH
        Ped* ped = world.findPed(call.i32(0));
        const bool on = call.i32(1) != 0;
        if (ped != nullptr) {
            ped->placementSwitch = on;
        }
    });
    host.handle(0x779A2FFACEFAEA7B, [&world](NativeCall& call) { // START_PAIRED_ACTION
        Ped* first = world.findPed(call.i32(0));
        const int second = call.i32(1);
        const std::uint32_t action = call.u32(2);
        for (std::size_t i = 3; i < 7; ++i) {
            call.i32(i);
        }
        if (first != nullptr) {
            first->pairedAction = action;
            first->pairedPartner = second;
        }
    });
}

} // namespace sim
