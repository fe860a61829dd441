// Natives the drowning effects use: the game clock, the actions pedestrians
// perform, the control query, the splash particle, the speech record, and the
// knockout and throw calls on the grappling pair.
#include "format_text.h"
#include "host.h"
#include "natives.h"

#include <algorithm>
#include <initializer_list>
#include <string>

namespace sim {

namespace {

constexpr std::size_t speechSlots = 8;

// The speech record in words. Slot 0 is read as the address of the line name;
// the other slots are printed whole, so a dirty high half shows.
std::string describeSpeech(const std::uint64_t* slots) {
    if (slots == nullptr) {
        return "no record";
    }
    // The record holds the line's address as a 64-bit slot.
    const auto* line = reinterpret_cast<const char*>( // NOLINT(performance-no-int-to-ptr)
        static_cast<std::uintptr_t>(slots[0]));
    std::string text = "line \"";
    text += line == nullptr ? "(null)" : line;
    text += "\", slots 1-7:";
    for (std::size_t i = 1; i < speechSlots; ++i) {
        text += formatText(" 0x%llX", static_cast<unsigned long long>(slots[i]));
    }
    return text;
}

// Natives whose arguments are all 32-bit integers or handles and whose effect
// the world does not model: they are decoded for the trace only.
void decodeInts(Host& host, std::uint64_t hash) {
    host.handle(hash, [](NativeCall& call) {
        for (std::size_t i = 0; i < call.argCount(); ++i) {
            call.i32(i);
        }
    });
}

} // namespace

void installEffectsNatives(Host& host) {
    World& world = host.world;

    host.handle(0x4F67E8ECA7D3F667, [&world](NativeCall& call) { // GET_GAME_TIMER
        call.returnUint(world.gameTimer);
    });
    host.handle(0xDCCA191DF9980FD7, [&world](NativeCall& call) { // IS_PED_IN_ACTION
        const Ped* ped = world.findPed(call.i32(0));
        call.i32(1);
        const std::uint32_t action = call.u32(2);
        call.returnBool(ped != nullptr &&
                        std::ranges::find(ped->actions, action) != ped->actions.end());
    });
    host.handle(0x580417101DDB492F, [&world](NativeCall& call) { // IS_CONTROL_USED
        const std::pair<int, std::uint32_t> control{call.i32(0), call.u32(1)};
        call.returnBool(std::ranges::find(world.usedControls, control) != world.usedControls.end());
    });
    host.handle(0xA10DB07FC234DD12, [](NativeCall& call) { // USE_PARTICLE_FX_ASSET
        call.str(0);
    });
    host.handle(0x3FAA72BD940C3AC0, [](NativeCall& call) { // PLAY_PARTICLE_FX_ON_PED
        call.str(0);
        call.i32(1);
        for (std::size_t i = 2; i <= 7; ++i) {
            call.f32(i);
        }
        call.i32(8);
        call.f32(9);
        for (std::size_t i = 10; i <= 12; ++i) {
            call.i32(i);
        }
    });
    host.handle(0x8E04FEDD28D42462, [](NativeCall& call) { // PLAY_PED_AMBIENT_SPEECH_NATIVE
        call.i32(0);
        call.note(describeSpeech(call.address<std::uint64_t>(1)));
    });
    for (const std::uint64_t hash : {
             0xA9A41C1E940FB0E8ULL, // KNOCKOUT_FINISH_1
             0x1CE875505D45338AULL, // KNOCKOUT_FINISH_2
             0xB8BEC0CA6F0EDB0FULL, // KNOCKOUT_FINISH_3
             0xE1EF3C1216AFF2CDULL, // KNOCKOUT_FINISH_4
             0x789DABD18E9024DBULL, // THROW_SET_FLAGS
             0x648B75D44930D6BDULL, // THROW_START
         }) {
        decodeInts(host, hash);
    }
    host.handle(0x8301D87B1B89E219, [](NativeCall& call) { // THROW_SET_ACTION
        call.i32(0);
    });
}

} // namespace sim
