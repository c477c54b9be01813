#pragma once

#include <functional>
#include <memory>

#include "midi/MidiPlatform.h"

namespace tastiva {

// The real MIDI platform of this system: winmm on Windows, elsewhere the built-in
// synthesizer as device 0 followed by the system MIDI ports. busy hears, from any thread, when
// work the user waits for starts and ends.
std::unique_ptr<MidiPlatform> CreateMidiPlatform(std::function<void(bool busy)> busy);

}  // namespace tastiva
