// The one way the module calls a game native. Every argument goes through
// nativeSlot and every result through fromResult, so the widening rules and the
// float slot layout the game expects live here and nowhere else.
#pragma once

#include "host/hook.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace sloshmere {

// A pedestrian or object handle; 0 names none.
using Entity = std::int32_t;
// A game hash of a name (models, controls, actions, speech parameter sets).
using GameHash = std::uint32_t;
// A prompt id the game hands out when a prompt is registered.
using PromptId = std::int32_t;

// Three floats. The game returns each in its own 8-byte slot; ours is packed
// and copied field by field.
struct Vector3 {
    float x;
    float y;
    float z;
};

// A whole 64-bit result that is handed back to the game unchanged, such as the
// string value CREATE_VAR_STRING makes. A distinct type keeps it from being
// narrowed or widened by accident.
enum class NativeValue : std::uint64_t {};

// The 64-bit slot a value takes in a native call, or in a parameter record the
// game reads, such as a speech request.
//
// 32-bit integers, handles, hashes and booleans are zero-extended: the game
// reads only the low half, and a clean high half keeps traces exact.
inline std::uint64_t nativeSlot(std::int32_t value) noexcept {
    return static_cast<std::uint32_t>(value);
}
inline std::uint64_t nativeSlot(std::uint32_t value) noexcept {
    return value;
}
inline std::uint64_t nativeSlot(bool value) noexcept {
    return value ? 1U : 0U;
}
// A float travels as its 32-bit pattern in the low half of a zeroed slot;
// the game reads four bytes, never a double.
inline std::uint64_t nativeSlot(float value) noexcept {
    return std::bit_cast<std::uint32_t>(value);
}
inline std::uint64_t nativeSlot(NativeValue value) noexcept {
    return static_cast<std::uint64_t>(value);
}
// Strings and out-parameters travel as addresses the game reads or fills
// during the call.
inline std::uint64_t nativeSlot(const char* text) noexcept {
    return reinterpret_cast<std::uintptr_t>(text);
}
template <typename T>
std::uint64_t nativeSlot(T* address) noexcept {
    return reinterpret_cast<std::uintptr_t>(address);
}
// Any other type (a double, a 64-bit or 8-bit integer) has no agreed slot
// layout; refuse it at compile time rather than guess.
template <typename T>
std::uint64_t nativeSlot(T) = delete;

namespace detail {

template <typename R>
R fromResult(const std::uint64_t* slots) noexcept {
    if constexpr (std::is_same_v<R, bool>) {
        return static_cast<std::uint32_t>(slots[0]) != 0;
    } else if constexpr (std::is_same_v<R, std::int32_t> || std::is_same_v<R, std::uint32_t>) {
        return static_cast<R>(static_cast<std::uint32_t>(slots[0]));
    } else if constexpr (std::is_same_v<R, float>) {
        float value = 0.0F;
        std::memcpy(&value, slots, sizeof value);
        return value;
    } else if constexpr (std::is_same_v<R, Vector3>) {
        // x, y and z each sit in the low four bytes of their own slot.
        Vector3 value{};
        std::memcpy(&value.x, slots + 0, sizeof value.x);
        std::memcpy(&value.y, slots + 1, sizeof value.y);
        std::memcpy(&value.z, slots + 2, sizeof value.z);
        return value;
    } else if constexpr (std::is_same_v<R, NativeValue>) {
        return NativeValue{slots[0]};
    } else {
        static_assert(!sizeof(R), "no agreed result layout for this type");
    }
}

} // namespace detail

// Calls the native `hash` with `args` in order and reads its result as R. The
// result area is read at once, since the next call reuses it.
template <typename R = void, typename... Args>
R callNative(std::uint64_t hash, Args... args) {
    nativeInit(hash);
    (nativePush64(nativeSlot(args)), ...);
    const std::uint64_t* slots = nativeCall();
    if constexpr (!std::is_void_v<R>) {
        // The hook always hands back its result area; a null one reads as
        // zeros instead of taking the game down.
        if (slots == nullptr) {
            return R{};
        }
        return detail::fromResult<R>(slots);
    }
}

} // namespace sloshmere
