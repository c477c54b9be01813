#include "midi/synth/SynthWorker.h"

#include <condition_variable>
#include <mutex>

#include "midi/MidiResults.h"
#include "midi/devices/PendingMessages.h"
#include "midi/synth/FluidLog.h"
#include "midi/synth/SilenceGate.h"
#include "midi/synth/SynthDispatch.h"

namespace tastiva {

namespace {

// Not a MIDI message: all sounds off and the controllers reset, in order with the rest.
constexpr std::uint32_t kSilence = 0xFFFFFFFF;

// A load nobody waits for any more is not worth the second it takes.
constexpr auto kEndWait = std::chrono::milliseconds(0);

std::uint32_t Word(const ShortMessageBytes& m) {
  return m.bytes[0] | (m.bytes[1] << 8) | (m.bytes[2] << 16);
}

void SoundsOff(fluid_synth_t* synth) {
  fluid_synth_all_sounds_off(synth, -1);
  for (int channel = 0; channel < 16; ++channel) fluid_synth_cc(synth, channel, 121, 0);
}

}  // namespace

struct SynthWorker::Backlog {
  Backlog(FluidSynthHandle s, std::shared_ptr<SilenceGate> g, MidiDevice::BusyHook b)
      : synth(std::move(s)), gate(std::move(g)), busy(std::move(b)) {}

  // Every message reaches FluidSynth here, the audio output woken first.
  MidiResult Dispatch(const ShortMessageBytes& m) const {
    gate->Dispatching(m);
    return DispatchToSynth(synth.get(), m);
  }
  void Silence() const {
    gate->Silencing();
    SoundsOff(synth.get());
  }
  void Dispatch(std::uint32_t word) const {
    if (word == kSilence) {
      Silence();
    } else {
      Dispatch(UnpackShortMessage(word));
    }
  }

  // The worker: plays what waits, in order, the loads among it, until nothing does.
  void Drain() {
    std::unique_lock lock(mutex);
    while (!pending.Empty()) {
      const std::uint32_t word = pending.Pop();
      lock.unlock();
      Dispatch(word);
      lock.lock();
    }
    draining = false;
    idle.notify_all();
    lock.unlock();
    if (busy) busy(false);
  }

  const FluidSynthHandle synth;
  const std::shared_ptr<SilenceGate> gate;
  const MidiDevice::BusyHook busy;
  std::mutex mutex;
  std::condition_variable idle;
  PendingMessages pending;
  bool draining = false;  // the worker has what waits, or plays its last one
};

SynthWorker::SynthWorker(FluidSynthHandle synth, std::shared_ptr<SilenceGate> gate,
                         MidiDevice::BusyHook busy)
    : backlog_(std::make_shared<Backlog>(std::move(synth), std::move(gate), std::move(busy))),
      worker_(kEndWait) {}

SynthWorker::~SynthWorker() {
  std::lock_guard lock(backlog_->mutex);
  backlog_->pending.Clear();
}

DeviceResult SynthWorker::Play(const ShortMessageBytes& m) {
  const int channel = m.bytes[0] & 0x0F;
  const int kind = m.bytes[0] & 0xF0;
  const bool reset = m.bytes[0] == 0xFF;
  // The SoundFont was loaded without instruments: a channel's first note brings the default
  // one (and its samples) unless a program change came first.
  const bool first = kind == 0x90 && m.bytes[2] != 0 && !assigned_[channel];
  if (first || reset || kind == 0xC0) {
    if (first) Queue(0xC0u | static_cast<std::uint32_t>(channel));
    if (kind == 0xC0 || first) assigned_.set(static_cast<std::size_t>(channel));
    if (reset) assigned_.set();  // a reset gives every channel its default instrument
    Queue(Word(m));
    return MMSYSERR_NOERROR;
  }
  std::unique_lock lock(backlog_->mutex);
  if (backlog_->draining) {
    backlog_->pending.Push(Word(m));
    return MMSYSERR_NOERROR;
  }
  // Played here while holding the worker back: in order with what it plays.
  const FluidLog::Capture capture;
  DeviceResult result = backlog_->Dispatch(m);
  if (result.code != MMSYSERR_NOERROR) result.detail = capture.Text();
  return result;
}

bool SynthWorker::Silence() {
  std::unique_lock lock(backlog_->mutex);
  if (!backlog_->draining) {
    backlog_->Silence();
    return true;
  }
  lock.unlock();
  Queue(kSilence);
  return false;
}

void SynthWorker::WaitIdle() const {
  std::unique_lock lock(backlog_->mutex);
  backlog_->idle.wait(lock, [&] { return !backlog_->draining; });
}

void SynthWorker::Queue(std::uint32_t word) {
  {
    std::lock_guard lock(backlog_->mutex);
    backlog_->pending.Push(word);
    if (backlog_->draining) return;
    backlog_->draining = true;
  }
  if (backlog_->busy) backlog_->busy(true);
  worker_.Post([backlog = backlog_] { backlog->Drain(); });
}

}  // namespace tastiva
