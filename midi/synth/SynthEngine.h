#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "midi/devices/MidiDevice.h"
#include "midi/synth/FluidPtr.h"

namespace tastiva {

// FluidSynth's settings and synthesizer with a General MIDI SoundFont loaded.
class SynthEngine {
 public:
  // Creates the settings and synth and loads the first usable SoundFont of soundFonts. Does
  // nothing once loaded; a failed attempt leaves nothing behind, so a later call (after the
  // user installed one) tries again.
  DeviceResult Load(const std::vector<std::string>& soundFonts, int sampleRate);
  bool Loaded() const { return synth_ != nullptr; }

  fluid_settings_t* settings() const { return settings_.get(); }
  fluid_synth_t* synth() const { return synth_.get(); }

  // Renders the reverb and chorus tail away; only while no audio driver runs.
  void DrainEffects();
  // Frames of stereo audio, interleaved left/right; only while no audio driver runs.
  std::vector<float> Render(std::size_t frames);

 private:
  void Unload();

  // The synth refers to its settings: declared first, so destroyed last.
  FluidSettingsPtr settings_;
  FluidSynthPtr synth_;
};

}  // namespace tastiva
