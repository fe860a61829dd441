// The ordered record of everything the module asked of the simulated host.
// Tests assert on it; the demo prints it as a timeline.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// How a handler read an argument, so the trace can print it the same way.
enum class ArgKind : std::uint8_t { Raw, Int, Float, String, Address };
// How a handler answered: not at all, or with which type.
enum class ResultKind : std::uint8_t { None, Raw, Int, Uint, Boolean, Float, Vector };

struct TraceEntry {
    enum class Kind : std::uint8_t {
        Native,
        Wait,
        GetAllPeds,
        ScriptRegister,
        ScriptUnregister,
        KeyboardRegister,
        KeyboardUnregister,
        // Not a call: the game ended and restarted its script threads here.
        Restart,
    };

    Kind kind = Kind::Native;
    std::uint64_t frame = 0;
    std::uint32_t gameTime = 0;

    // Native: hash, raw argument slots, result slots. Wait: args[0] holds the
    // milliseconds. GetAllPeds: args[0] the capacity, result[0] the count.
    std::uint64_t hash = 0;
    std::vector<std::uint64_t> args;
    std::vector<ArgKind> argKinds;
    // Strings the handler read through pointer arguments, by argument index.
    std::vector<std::pair<std::size_t, std::string>> strings;
    std::uint64_t result[3] = {0, 0, 0};
    ResultKind resultKind = ResultKind::None;
    // What the handler decoded beyond the arguments (a record read through a
    // pointer, a value written back), in words.
    std::string note;

    // The string read through argument `index`, or "" when none was read.
    [[nodiscard]] std::string stringArg(std::size_t index) const;
    [[nodiscard]] std::int32_t intArg(std::size_t index) const;
    [[nodiscard]] std::uint32_t uintArg(std::size_t index) const;
    [[nodiscard]] float floatArg(std::size_t index) const;
    [[nodiscard]] std::uint32_t floatBits(std::size_t index) const;
};

// The label the project knows for a native hash, or "" for an unknown one.
const char* nativeLabel(std::uint64_t hash);

// How describe() shows a native's result. RawBits: the first slot in hex,
// and nothing when it is 0, which tests compare bit for bit. Typed: as the
// handler answered, for a person reading the timeline: a float as a float, a
// position as three, an answer of 0 as 0, and nothing only where the native
// answers nothing.
enum class ResultStyle : std::uint8_t { RawBits, Typed };

// One trace entry in words, e.g. `GET_HASH_KEY("p_watertrough01x") -> 0x...`.
std::string describe(const TraceEntry& entry, ResultStyle style = ResultStyle::RawBits);

} // namespace sim
