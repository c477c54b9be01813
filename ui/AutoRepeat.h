#pragma once

namespace tastiva {

// Asks the X server not to send the fake key releases of automatic repeat, so a held key
// gives repeated presses and one real release. Qt tells the fake releases apart only when
// the matching press is already queued, and otherwise a held note would stop and restart.
// Does nothing on other window systems, whose repeats are marked reliably.
void UseDetectableAutoRepeat();

}  // namespace tastiva
