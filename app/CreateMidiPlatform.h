#pragma once

#include <memory>

#include "midi/MidiPlatform.h"

namespace tastiva {

// The real MIDI platform of this system: winmm on Windows, elsewhere the built-in
// synthesizer as device 0 followed by the system MIDI ports.
std::unique_ptr<MidiPlatform> CreateMidiPlatform();

}  // namespace tastiva
