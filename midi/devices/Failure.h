#pragma once

#include <string_view>

#include "midi/devices/MidiDevice.h"

namespace tastiva {

// Inside a catch block: what a device call that threw tells the user. Out of memory is
// MMSYSERR_NOMEM with its standard words; anything else MMSYSERR_ERROR with "<subject>
// failed: <its own words>." (FailedText; subject: "The MIDI port {}" with the port's name,
// "The Built-in Synthesizer").
DeviceResult CaughtFailure(std::string_view subject, std::string_view name = {});

// The directory's listing; if it throws, no ports and what happened as its problem, in words.
PortListing ListPortsCaught(PortDirectory& directory);

}  // namespace tastiva
