#pragma once

#include <atomic>
#include <bitset>
#include <cstdint>
#include <mutex>

#include "midi/ShortMessage.h"

namespace tastiva {

// Whether the synthesizer's audio output runs FluidSynth at all. Once no key or pedal is held
// and the output has stayed below -100 dBFS for as long as the reverb rings, it sleeps: the
// output writes silence without rendering, or pauses its stream. Every message wakes it before
// FluidSynth gets it, so rendering starts again in the very period the message is heard.
//
// Lock-free on both sides: the side that plays messages (one thread at a time, in order) and
// the audio thread share atomics only. A woken output that paused its stream learns of it
// through a file descriptor, written only while it is paused.
class SilenceGate {
 public:
  static constexpr float kFloor = 1e-5F;  // -100 dBFS

  // Asleep from the start: a synthesizer just made has nothing to play.
  SilenceGate(double sampleRate, double tailSeconds);
  ~SilenceGate();
  SilenceGate(const SilenceGate&) = delete;
  SilenceGate& operator=(const SilenceGate&) = delete;

  // Before a message reaches FluidSynth: wakes the output and notes what it holds.
  void Dispatching(const ShortMessageBytes& m);
  // Before every voice is stopped and every controller reset.
  void Silencing();
  // Wakes the output, holding nothing new.
  void Wake();
  bool Held() const { return held_.load(std::memory_order_relaxed); }

  // The audio thread, each period: true if it renders nothing (its buffers stay silent).
  bool Asleep();
  // After rendering frames whose loudest sample was peak.
  void Rendered(float peak, int frames);

  // An output that can pause, after a period it slept through: true if it may pause now (no
  // message came since), and the wake descriptor turns readable with the next message.
  bool Park();
  // Once the wake descriptor turned readable: clears it and ends the pause.
  void Unpark();
  // Readable when a message came while parked; -1 if the system gave none (then no output
  // parks).
  int WakeFd();

 private:
  void Track(const ShortMessageBytes& m);

  const std::int64_t tailFrames_;
  std::atomic<std::uint32_t> wakes_{0};
  std::atomic<bool> held_{false};
  std::atomic<bool> parked_{false};
  std::once_flag fdMade_;
  std::atomic<int> wakeFd_{-1};
  // The side that plays messages.
  std::bitset<16 * 128> keys_;
  std::bitset<16 * 2> pedals_;  // sustain and sostenuto down, per channel
  // The audio side (atomics only so that a driver kept for a moment may overlap the next).
  std::atomic<std::uint32_t> seen_{0};
  std::atomic<std::int64_t> quiet_{0};
  std::atomic<bool> asleep_{true};
};

}  // namespace tastiva
