#pragma once

#include <string>
#include <vector>

#include "midi/synth/FluidPtr.h"

namespace tastiva {

// The audio driver that plays a synthesizer through the system's sound output.
class SynthAudio {
 public:
  // Starts the first of drivers (FluidSynth's names) that works; false if none does.
  bool Start(fluid_settings_t* settings, fluid_synth_t* synth,
             const std::vector<std::string>& drivers);
  // Ends the audio thread.
  void Stop() { driver_.reset(); }
  bool Running() const { return driver_ != nullptr; }

 private:
  FluidDriverPtr driver_;
};

}  // namespace tastiva
