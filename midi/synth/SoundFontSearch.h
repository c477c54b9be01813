#pragma once

#include <fluidsynth.h>

#include <string>
#include <string_view>
#include <vector>

namespace tastiva {

// Stands for FluidSynth's own default SoundFont in a search list.
inline constexpr std::string_view kFluidSynthDefault = "synth.default-soundfont";

// The places the synthesizer looks for a SoundFont, in order: SoundFontPaths.txt's section for
// this system, built in.
std::vector<std::string> BuiltInSoundFonts();

// places with kFluidSynthDefault replaced by that setting's value (dropped when it has none).
std::vector<std::string> ExpandSoundFonts(const std::vector<std::string>& places,
                                          fluid_settings_t* settings);

}  // namespace tastiva
