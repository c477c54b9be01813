#pragma once

#include <memory>
#include <vector>

#include "midi/devices/MidiDevice.h"

namespace tastiva {

// The directories of this system's MIDI ports: the ALSA sequencer's (or CoreMIDI's) through
// RtMidi, then JACK's. On Linux they are built into a module of their own, which the program
// loads at the first listing (app/PortsModule.cpp).
std::vector<std::unique_ptr<PortDirectory>> SystemPortDirectories();

}  // namespace tastiva
