#pragma once

#include <fluidsynth.h>

#include <string>

#include "midi/synth/FluidPtr.h"

namespace tastiva {

// What the synthesizer's audio clients are called: JACK's, PulseAudio's.
inline constexpr const char* kAudioClientName = "Tastiva";

// FluidSynth's settings as the built-in synthesizer uses them: the one place they are chosen,
// for the program, its tests and the benchmarks that measure FluidSynth alone beside it. Null
// when FluidSynth could not make them.
FluidSettingsHandle MakeSynthSettings(int sampleRate);

// Chooses FluidSynth's audio driver (its name: "jack", "pulseaudio", ...) with the buffer
// sizes it plays cleanly with. On JACK the client is named jackName, its outputs connected to
// the system's playback ports when connect is set.
void ChooseAudioDriver(fluid_settings_t* settings, const std::string& driver,
                       const std::string& jackName = kAudioClientName, bool connect = true);

}  // namespace tastiva
