// The per-frame decisions of the drowning interaction: whether the prompt
// exists, shows and is enabled, and what a completed hold sets off.
#pragma once

#include <array>
#include <cstdint>

namespace sloshmere {

// The two drowning animation dictionaries, loaded with the prompt and removed
// when it is retired, always in this order.
inline constexpr std::array<const char*, 2> drownAnimDicts = {
    "mini_games@story@saloon1@drown@patron",
    "mini_games@story@saloon1@drown@arthur",
};

// The grapple states in which the prompt is offered (with grapple flag 1).
inline constexpr std::array<std::uint32_t, 4> offerStates = {
    0x13930D00U,
    0x4E4B1E01U,
    0x72B43B02U,
    0xCE44C7EAU,
};

// One pass of the watcher; called once per loop pass.
void watchGrapple();

// Disables and hides the prompt and stops counting it as live. The prompt
// stays registered and keeps its id.
void hidePrompt();

// Disables, hides and deletes the prompt, then removes the two dictionaries,
// yielding one frame after each removal.
void retirePrompt();

// Requests each drowning dictionary that exists and waits until it is loaded;
// every dictionary costs at least one frame.
void loadDrownAnimDicts();

} // namespace sloshmere
