#include "midi/synth/SynthWorker.h"

#include "midi/MidiResults.h"
#include "midi/synth/SynthDispatch.h"

namespace tastiva {

namespace {

void SoundsOff(fluid_synth_t* synth) {
  fluid_synth_all_sounds_off(synth, -1);
  for (int channel = 0; channel < 16; ++channel) fluid_synth_cc(synth, channel, 121, 0);
}

}  // namespace

SynthWorker::SynthWorker(fluid_synth_t* synth) : synth_(synth), thread_([this] { Run(); }) {}

SynthWorker::~SynthWorker() {
  {
    std::lock_guard lock(mutex_);
    ending_ = true;
    // Only the running task is seen through: loads nobody will hear are not started.
    if (tasks_.size() > 1) tasks_.erase(tasks_.begin() + 1, tasks_.end());
  }
  changed_.notify_all();
  thread_.join();
}

MidiResult SynthWorker::Play(const ShortMessageBytes& m) {
  const int channel = m.bytes[0] & 0x0F;
  const int kind = m.bytes[0] & 0xF0;
  const bool reset = m.bytes[0] == 0xFF;
  // The SoundFont was loaded without instruments: a channel's first note brings the default
  // one (and its samples) unless a program change came first.
  const bool first = kind == 0x90 && m.bytes[2] != 0 && !assigned_[channel];
  if (first || reset || kind == 0xC0) {
    if (first) {
      Queue([channel](fluid_synth_t* synth) { fluid_synth_program_change(synth, channel, 0); });
    }
    if (kind == 0xC0 || first) assigned_.set(static_cast<std::size_t>(channel));
    if (reset) assigned_.set();  // a reset gives every channel its default instrument
    Queue([m](fluid_synth_t* synth) { DispatchToSynth(synth, m); });
    return MMSYSERR_NOERROR;
  }
  std::unique_lock lock(mutex_);
  if (!tasks_.empty()) {
    lock.unlock();
    Queue([m](fluid_synth_t* synth) { DispatchToSynth(synth, m); });
    return MMSYSERR_NOERROR;
  }
  // Held while playing, so no queued work starts meanwhile.
  return DispatchToSynth(synth_, m);
}

bool SynthWorker::Silence() {
  std::unique_lock lock(mutex_);
  if (tasks_.empty()) {
    SoundsOff(synth_);
    return true;
  }
  lock.unlock();
  Queue(SoundsOff);
  return false;
}

void SynthWorker::WaitIdle() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return tasks_.empty(); });
}

void SynthWorker::Queue(Task task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  changed_.notify_all();
}

void SynthWorker::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return ending_ || !tasks_.empty(); });
    if (tasks_.empty()) return;
    Task& task = tasks_.front();
    lock.unlock();
    task(synth_);
    lock.lock();
    tasks_.pop_front();
    if (tasks_.empty()) changed_.notify_all();
  }
}

}  // namespace tastiva
