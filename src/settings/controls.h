// The game controls a player may name in the settings file, by their text name,
// and the game hash the game identifies each one by.
#pragma once

#include "host/native.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

namespace sloshmere {

// One control: its text name and the game hash the game knows it by.
struct ControlName {
    std::string_view name;
    GameHash value;
};

// A game hash that no control carries: the prompt's control until a settings
// file names one.
inline constexpr GameHash unresolvedControl = 0xFFFFFFFFU;

inline constexpr std::size_t controlNameCount = 302;

// Every known control, in a fixed order; a constant of the module, so it is
// ready before any code runs.
extern const std::array<ControlName, controlNameCount> controlNames;

// Control name -> game hash, matched exactly and case-sensitively; built from
// controlNames at load, where the first occurrence of a name wins, and never
// changed afterwards. Defined next to the settings values so that it is built
// after them and destroyed before them.
extern const std::unordered_map<std::string, GameHash> controlNameTable;

// The table's content, built from controlNames.
std::unordered_map<std::string, GameHash> buildControlNameTable();

} // namespace sloshmere
