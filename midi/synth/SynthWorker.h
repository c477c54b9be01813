#pragma once

#include <fluidsynth.h>

#include <bitset>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "midi/MidiPlatform.h"
#include "midi/ShortMessage.h"

namespace tastiva {

// Plays messages on a synthesizer that loads an instrument's samples only when it is chosen.
// That load (milliseconds for an .sf2, seconds for a large .sf3) runs inside FluidSynth's
// program change, holding its lock: here it runs on a thread of its own, and what comes after
// it waits in order behind it, so the caller (a key press) never waits for a load.
class SynthWorker {
 public:
  explicit SynthWorker(fluid_synth_t* synth);
  // Waits for the running task; drops the others.
  ~SynthWorker();
  SynthWorker(const SynthWorker&) = delete;
  SynthWorker& operator=(const SynthWorker&) = delete;

  // Plays m at once, with FluidSynth's answer, unless it may load samples or work is waiting:
  // then it goes behind that work and the answer is MMSYSERR_NOERROR.
  MidiResult Play(const ShortMessageBytes& m);
  // Stops every voice and resets the controllers: at once when no work waits (true), else
  // after it (false).
  bool Silence();
  // Returns once no work waits.
  void WaitIdle();

 private:
  using Task = std::function<void(fluid_synth_t*)>;
  void Queue(Task task);
  void Run();

  fluid_synth_t* const synth_;
  // Channels given their first instrument; only the caller's thread uses it.
  std::bitset<16> assigned_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Task> tasks_;  // the first one is running
  bool ending_ = false;
  std::thread thread_;
};

}  // namespace tastiva
