#include "midi/synth/BuiltinSynth.h"

#include <new>

#include "midi/MidiResults.h"
#include "midi/ShortMessage.h"
#include "midi/synth/FluidLog.h"
#include "midi/synth/SoundFontSearch.h"
#include "midi/synth/SynthAudio.h"
#include "midi/synth/SynthEngine.h"
#include "midi/synth/SynthTexts.h"
#include "midi/synth/SynthWorker.h"

namespace tastiva {

BuiltinSynth::Options BuiltinSynth::DefaultOptions() {
  Options options;
  options.soundFonts = BuiltInSoundFonts();
#if defined(__APPLE__)
  options.audioDrivers = {"coreaudio"};
#elif defined(__linux__)
  options.audioDrivers = {"jack", "pulseaudio", "alsa"};
#else
  options.audioDrivers = {"jack", "pulseaudio", "sndio", "oss"};
#endif
  return options;
}

BuiltinSynth::BuiltinSynth(Options options)
    : options_(std::move(options)),
      engine_(std::make_unique<SynthEngine>()),
      audio_(std::make_unique<SynthAudio>()) {}

BuiltinSynth::~BuiltinSynth() = default;

std::string BuiltinSynth::Name() const {
  return kName;
}

std::uint16_t BuiltinSynth::Technology() const {
  return MOD_SWSYNTH;
}

void BuiltinSynth::Prepare() {
  if (open_ || prepared_.valid()) return;
  try {
    prepared_ = std::async(std::launch::async, [this] { return Start(); });
  } catch (...) {
    // No thread: Open does it all.
  }
}

DeviceResult BuiltinSynth::Open() {
  if (open_) return MMSYSERR_ALLOCATED;
  // What Prepare started counts once; a failure is met again by the next Open.
  DeviceResult started = prepared_.valid() ? prepared_.get() : Start();
  open_ = started.code == MMSYSERR_NOERROR;
  return started;
}

DeviceResult BuiltinSynth::Start() {
  try {
    const DeviceResult created = engine_->Create(options_.sampleRate);
    if (created.code != MMSYSERR_NOERROR) return created;
    const bool audio = !options_.audioDrivers.empty();
    // The audio system is joined while the SoundFont is read: the first open waits for the
    // longer of the two, not both.
    if (audio) audio_->Begin(engine_->settings(), engine_->synth(), options_.audioDrivers);
    DeviceResult loaded = engine_->Load(options_.soundFonts);
    const bool playing = audio && audio_->Finish();
    if (loaded.code != MMSYSERR_NOERROR) {
      audio_->Stop();
      return loaded;
    }
    if (audio && !playing) return {MMSYSERR_NODRIVER, NoAudioText()};
    return MMSYSERR_NOERROR;
  } catch (const std::bad_alloc&) {
    return MMSYSERR_NOMEM;
  } catch (...) {
    return MMSYSERR_ERROR;
  }
}

DeviceResult BuiltinSynth::Close() {
  if (!open_) return MMSYSERR_INVALHANDLE;
  // The audio thread lets go of the synthesizer at once; the engine and its SoundFont stay
  // for the next open.
  audio_->Stop();
  engine_->Silence();
  open_ = false;
  return MMSYSERR_NOERROR;
}

DeviceResult BuiltinSynth::Send(std::uint32_t message) {
  try {
    if (!open_) return MMSYSERR_INVALHANDLE;
    // Nothing would be heard: its server stopped or hangs. Choosing the synthesizer again
    // starts whatever audio system runs then.
    if (audio_->Stalled()) return {MIDIERR_NOTREADY, AudioStoppedText(audio_->Driver())};
    const ShortMessageBytes m = UnpackShortMessage(message);
    if (m.size == 0) return MMSYSERR_NOERROR;  // running status: nothing to act on
    FluidLog::Instance().Clear();
    const MidiResult code = engine_->worker().Play(m);
    if (code == MMSYSERR_NOERROR) return code;
    const std::string reason = FluidLog::Instance().Last();
    return {code, reason.empty() ? std::string() : RefusedText(reason)};
  } catch (const std::bad_alloc&) {
    return MMSYSERR_NOMEM;
  } catch (...) {
    return MMSYSERR_ERROR;
  }
}

std::vector<float> BuiltinSynth::RenderOffline(std::size_t frames) {
  try {
    // With a driver running, the audio thread owns the rendering.
    if (audio_->Running()) return {};
    return engine_->Render(frames);
  } catch (...) {
    return {};
  }
}

}  // namespace tastiva
