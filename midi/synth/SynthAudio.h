#pragma once

#include <memory>
#include <string>
#include <vector>

#include "midi/synth/FluidPtr.h"

namespace tastiva {

// The audio driver that plays a synthesizer through the system's sound output, and a watch
// on it: a driver asks for sound every period, so a long silence from it means its sound
// server stopped or hangs (FluidSynth itself only logs that).
class SynthAudio {
 public:
  SynthAudio();
  ~SynthAudio();
  SynthAudio(const SynthAudio&) = delete;
  SynthAudio& operator=(const SynthAudio&) = delete;

  // Starts the first of drivers (FluidSynth's names) that works; false if none does. A
  // driver that does not answer within seconds (a hung JACK server) counts as not working.
  bool Start(fluid_settings_t* settings, fluid_synth_t* synth,
             const std::vector<std::string>& drivers);
  // Ends the audio thread's use of the synthesizer at once; a driver whose server hangs is
  // left to close in the background.
  void Stop();
  bool Running() const { return driver_ != nullptr; }
  // The running driver has stopped asking for sound.
  bool Stalled() const;
  // FluidSynth's name of the running driver.
  const std::string& Driver() const { return name_; }

  struct Link;  // what the driver's thread shares with this object

 private:
  std::shared_ptr<Link> link_;
  FluidDriverPtr driver_;
  std::string name_;
};

}  // namespace tastiva
