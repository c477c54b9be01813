#pragma once

#include <bitset>
#include <memory>

#include "base/SerialWorker.h"
#include "midi/ShortMessage.h"
#include "midi/devices/MidiDevice.h"
#include "midi/synth/FluidPtr.h"

namespace tastiva {

class SilenceGate;

// Plays messages on a synthesizer that loads an instrument's samples only when it is chosen.
// That load (milliseconds for an .sf2, seconds for a large .sf3) runs inside FluidSynth's
// program change: here it runs on a worker of its own, and what comes after it waits in order
// behind it (a note let go meanwhile sounds nothing later), so the caller never waits for a
// load. The worker shares the synthesizer: destroying this drops what waits, and a load under
// way ends on its own. Whichever thread plays a message wakes the audio output (gate) first.
class SynthWorker {
 public:
  // busy hears when loading starts and ends (may be empty).
  SynthWorker(FluidSynthHandle synth, std::shared_ptr<SilenceGate> gate, MidiDevice::BusyHook busy);
  ~SynthWorker();
  SynthWorker(const SynthWorker&) = delete;
  SynthWorker& operator=(const SynthWorker&) = delete;

  // Caller's thread. Plays m at once, with FluidSynth's answer and its words for a refusal,
  // unless it may load samples or work is waiting: then it goes behind that work and the
  // answer is success.
  DeviceResult Play(const ShortMessageBytes& m);
  // Caller's thread. Stops every voice and resets the controllers: at once when no work
  // waits (true), else after it (false).
  bool Silence();
  // Returns once no work waits.
  void WaitIdle() const;

  struct Backlog;  // what waits, shared with the worker

 private:
  void Queue(std::uint32_t word);

  const std::shared_ptr<Backlog> backlog_;
  // Channels given their first instrument; only the caller's thread uses it.
  std::bitset<16> assigned_;
  SerialWorker worker_;
};

}  // namespace tastiva
