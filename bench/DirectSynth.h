// The reference for key -> sound: a FluidSynth on JACK set up as the program sets its own up,
// its outputs connected to the probe's audio inputs.
#pragma once

#include <fluidsynth.h>
#include <jack/jack.h>

#include <string>

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
  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  fluid_audio_driver_t* driver_ = nullptr;
};
