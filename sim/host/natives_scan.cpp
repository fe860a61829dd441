// Natives of the nearby pedestrian scan: the pedestrian tests, answered from
// the pedestrian's fields, and the separation of two points.
#include "host.h"
#include "natives.h"

#include <algorithm>
#include <bit>

namespace sim {

namespace {

// Teaches the host a yes/no query on a pedestrian, answered by one field; an
// unknown handle answers no.
void pedQuery(Host& host, std::uint64_t hash, bool Ped::*field) {
    World& world = host.world;
    host.handle(hash, [&world, field](NativeCall& call) {
        const Ped* ped = world.findPed(call.i32(0));
        for (std::size_t i = 1; i < call.argCount(); ++i) {
            call.i32(i);
        }
        call.returnBool(ped != nullptr && ped->*field);
    });
}

bool samePoint(Vec3 a, Vec3 b) {
    return std::bit_cast<std::uint32_t>(a.x) == std::bit_cast<std::uint32_t>(b.x) &&
           std::bit_cast<std::uint32_t>(a.y) == std::bit_cast<std::uint32_t>(b.y) &&
           std::bit_cast<std::uint32_t>(a.z) == std::bit_cast<std::uint32_t>(b.z);
}

} // namespace

void installScanNatives(Host& host) {
    World& world = host.world;

    pedQuery(host, 0xB980061DA992779D, &Ped::human);      // IS_PED_HUMAN
    pedQuery(host, 0x7D5B1F88E7504BBA, &Ped::dead);       // IS_ENTITY_DEAD
    pedQuery(host, 0x460BC76A0E10655E, &Ped::onMount);    // IS_PED_ON_MOUNT
    pedQuery(host, 0x997ABD671D25CA0B, &Ped::inVehicle);  // IS_PED_IN_ANY_VEHICLE
    pedQuery(host, 0xDDE5C125AC446723, &Ped::stateTestA); // PED_STATE_TEST_A
    pedQuery(host, 0xB655DB7582AEC805, &Ped::stateTestB); // PED_STATE_TEST_B
    pedQuery(host, 0x47E4E977581C5B55, &Ped::stateTestC); // PED_STATE_TEST_C

    host.handle(0x7EE53118C892B513, [&world](NativeCall& call) { // GET_PED_CONFIG_FLAG
        const Ped* ped = world.findPed(call.i32(0));
        const int flag = call.i32(1);
        call.i32(2);
        call.returnBool(ped != nullptr &&
                        std::find(ped->configFlags.begin(), ped->configFlags.end(), flag) !=
                            ped->configFlags.end());
    });
    // The game's separation of two points is the squared 3D distance, with no
    // square root taken, so the scan's bound of 16 is a radius of 4 units.
    // A pedestrian standing at the second point may carry a separation of its
    // own instead.
    host.handle(0xB7A628320EFF8E47, [&world](NativeCall& call) { // POINT_SEPARATION
        const Vec3 a{call.f32(0), call.f32(1), call.f32(2)};
        const Vec3 b{call.f32(3), call.f32(4), call.f32(5)};
        for (const Ped& ped : world.peds) {
            if (ped.separation.has_value() && samePoint(ped.position, b)) {
                call.returnFloat(*ped.separation);
                return;
            }
        }
        call.returnFloat(squaredDistance(a, b));
    });
}

} // namespace sim
