#pragma once

#include <RtMidi.h>

#include <string>

namespace tastiva {

// The owning client's name in a full port name as RtMidi gives it ("" for CoreMIDI, which has
// no clients in its names).
std::string RtMidiClientName(RtMidi::Api api, const std::string& fullName);

// A readable name for a full port name, of any length: of an ALSA port, without its address
// and with its client's name only where the port's own does not repeat it.
std::string RtMidiLongName(RtMidi::Api api, const std::string& fullName);

}  // namespace tastiva
