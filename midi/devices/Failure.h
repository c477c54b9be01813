#pragma once

#include <string>

#include "midi/devices/MidiDevice.h"

namespace tastiva {

// Inside a catch block: what a device call that threw tells the user. Out of memory is
// MMSYSERR_NOMEM with its standard words; anything else MMSYSERR_ERROR with "<subject>
// failed: <its own words>." (subject: "The MIDI port X", "The Built-in Synthesizer").
DeviceResult CaughtFailure(const std::string& subject);

}  // namespace tastiva
