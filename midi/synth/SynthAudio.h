#pragma once

#include <fluidsynth.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Request.h"
#include "midi/synth/FluidPtr.h"

namespace tastiva {

class SilenceGate;

// The audio driver that plays a synthesizer through the system's sound output, and a watch
// on it: a driver asks for sound every period, so a long silence from it means its sound
// server stopped or hangs (FluidSynth itself only logs that). While the synthesizer's gate
// sleeps, FluidSynth's drivers (JACK, ALSA) get silence without FluidSynth rendering, and
// PulseAudio's stream, which is ours, pauses.
//
// Drivers are made and deleted on one process-wide worker, one after another: a sound server
// that hangs then holds that worker, never the caller, and libjack never sees a client of a
// dead server closed while a new one connects. Every call here is the caller's (the device's
// thread); none waits for the server but Finish, which waits a bounded time.
class SynthAudio {
 public:
  SynthAudio();
  ~SynthAudio();
  SynthAudio(const SynthAudio&) = delete;
  SynthAudio& operator=(const SynthAudio&) = delete;

  // Starts making the first of drivers (FluidSynth's names) that works, in the background;
  // Finish waits for it. A driver kept from the last Stop is taken again if it is the first
  // choice and still plays.
  void Begin(FluidSettingsHandle settings, FluidSynthHandle synth,
             std::shared_ptr<SilenceGate> gate, const std::vector<std::string>& drivers);
  // True once a driver plays the synthesizer; false if none works or none answered within
  // seconds (a hung JACK server).
  bool Finish();
  // Ends the driver's use of the synthesizer at once. The driver itself stays a moment,
  // silent, for an open that follows at once (start-up closes and opens again), then goes.
  void Stop();
  bool Running() const { return current_ != nullptr; }
  // The running driver has stopped asking for sound.
  bool Stalled() const;
  // FluidSynth's name of the running driver.
  std::string Driver() const;

  struct Link;   // what a driver's audio thread shares with this object
  struct Made;   // a driver and its link, deleted on the driver worker
  struct Shelf;  // the driver kept after a Stop; only the driver worker touches it

 private:
  std::shared_ptr<Made> current_;
  std::shared_ptr<Shelf> shelf_;
  std::optional<Request<std::shared_ptr<Made>>> attempt_;
  bool usedDrivers_ = false;  // whether the shelf may hold a driver
};

}  // namespace tastiva
