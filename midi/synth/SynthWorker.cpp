#include "midi/synth/SynthWorker.h"

#include "midi/MidiResults.h"
#include "midi/synth/FluidLog.h"
#include "midi/synth/SynthDispatch.h"

namespace tastiva {

namespace {

void SoundsOff(fluid_synth_t* synth) {
  fluid_synth_all_sounds_off(synth, -1);
  for (int channel = 0; channel < 16; ++channel) fluid_synth_cc(synth, channel, 121, 0);
}

// A load nobody waits for any more is not worth the second it takes.
constexpr auto kEndWait = std::chrono::milliseconds(0);

}  // namespace

SynthWorker::SynthWorker(FluidSynthHandle synth) : synth_(std::move(synth)), worker_(kEndWait) {}

SynthWorker::~SynthWorker() {
  worker_.DropQueued();
}

DeviceResult SynthWorker::Play(const ShortMessageBytes& m) {
  const int channel = m.bytes[0] & 0x0F;
  const int kind = m.bytes[0] & 0xF0;
  const bool reset = m.bytes[0] == 0xFF;
  // The SoundFont was loaded without instruments: a channel's first note brings the default
  // one (and its samples) unless a program change came first.
  const bool first = kind == 0x90 && m.bytes[2] != 0 && !assigned_[channel];
  if (first || reset || kind == 0xC0) {
    if (first) Queue({{static_cast<std::uint8_t>(0xC0 | channel), 0, 0}, 2});
    if (kind == 0xC0 || first) assigned_.set(static_cast<std::size_t>(channel));
    if (reset) assigned_.set();  // a reset gives every channel its default instrument
    Queue(m);
    return MMSYSERR_NOERROR;
  }
  DeviceResult result;
  const bool played = worker_.RunHereIfIdle([&] {
    const FluidLog::Capture capture;
    result.code = DispatchToSynth(synth_.get(), m);
    if (result.code != MMSYSERR_NOERROR) result.detail = capture.Text();
  });
  if (!played) Queue(m);
  return result;
}

bool SynthWorker::Silence() {
  if (worker_.RunHereIfIdle([&] { SoundsOff(synth_.get()); })) return true;
  worker_.Post([synth = synth_] { SoundsOff(synth.get()); });
  return false;
}

void SynthWorker::Queue(const ShortMessageBytes& m) {
  worker_.Post([synth = synth_, m] { DispatchToSynth(synth.get(), m); });
}

}  // namespace tastiva
