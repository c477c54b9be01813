// The reference for key -> sound: a FluidSynth on JACK with the program's settings, its
// outputs connected to the probe's audio inputs.
#pragma once

#include <fluidsynth.h>
#include <jack/jack.h>

#include <string>

#include "midi/synth/SynthSettings.h"

class DirectSynth {
 public:
  DirectSynth() = default;
  DirectSynth(const DirectSynth&) = delete;
  DirectSynth& operator=(const DirectSynth&) = delete;
  ~DirectSynth();

  // A client named name, connected to probe's "left" and "right"; false if any step fails.
  bool Open(const std::string& name, const std::string& soundFont, jack_client_t* probe);
  void Note(bool on);

 private:
  tastiva::FluidSettingsHandle settings_;
  tastiva::FluidSynthHandle synth_;
  tastiva::FluidDriverPtr driver_;  // declared last: stopped first
};
