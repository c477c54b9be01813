#pragma once

#include <string>

#include "midi/synth/SoundFontCheck.h"

namespace tastiva {

// The words of the built-in synthesizer's refusals, each within winmm's error text buffer
// (FitText).

// No SoundFont in any of the places searched.
std::string NoSoundFontText();

// The first SoundFont found cannot be used: missing, cut short or unreadable.
std::string BadSoundFontText(const SoundFontProbe& problem);

// No audio driver started.
std::string NoAudioText();

// The running audio driver (FluidSynth's name) stopped asking for sound.
std::string AudioStoppedText(const std::string& driver);

// FluidSynth refused a message, saying why.
std::string RefusedText(const std::string& reason);

}  // namespace tastiva
