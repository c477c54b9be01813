#pragma once

#include <string>

namespace tastiva {

// The words of the built-in synthesizer's refusals, each cut to fit winmm's 128-byte error
// buffer.

// No SoundFont could be loaded; firstBroken names the first file that was there but could
// not be read, or is empty when none was found.
std::string NoSoundFontText(const std::string& firstBroken);

// No audio driver started.
std::string NoAudioText();

// FluidSynth refused a message, saying why.
std::string RefusedText(const std::string& reason);

}  // namespace tastiva
