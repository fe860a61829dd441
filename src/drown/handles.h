// The three pedestrians every pass is about. The loop refreshes them at the
// start of each pass and the drowning's code reads them; they keep their
// values for the whole pass, however many frames it lasts.
#pragma once

#include "host/native.h"

namespace sloshmere {

// The player's pedestrian.
extern Entity playerPed;
// The pedestrian the player is grappling, as the game reports it for playerPed.
extern Entity victimPed;
// The nearest eligible pedestrian to the player, or 0 when there is none.
extern Entity nearestPed;

} // namespace sloshmere
