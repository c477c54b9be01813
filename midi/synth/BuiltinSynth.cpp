#include "midi/synth/BuiltinSynth.h"

#include "midi/MidiResults.h"
#include "midi/ShortMessage.h"
#include "midi/devices/Failure.h"
#include "midi/synth/SoundFontSearch.h"
#include "midi/synth/SynthAudio.h"
#include "midi/synth/SynthEngine.h"
#include "midi/synth/SynthTexts.h"
#include "midi/synth/SynthWorker.h"

namespace tastiva {

struct BuiltinSynth::Parts {
  // The audio thread plays the engine's synth: declared after it, so stopped before it goes.
  SynthEngine engine;
  SynthAudio audio;
};

namespace {

// What Open does, on whichever thread: the synthesizer made, its SoundFont read, the audio
// system joined.
DeviceResult Start(BuiltinSynth::Parts& parts, const BuiltinSynth::Options& options,
                   const MidiDevice::BusyHook& busy) {
  const DeviceResult created = parts.engine.Create(options.sampleRate, busy);
  if (created.code != MMSYSERR_NOERROR) return created;
  const bool audio = !options.audioDrivers.empty();
  // The audio system is joined while the SoundFont is read: the first open waits for the
  // longer of the two, not both.
  if (audio) {
    parts.audio.Begin(parts.engine.settings(), parts.engine.synth(), parts.engine.gate(),
                      options.audioDrivers);
  }
  DeviceResult loaded = parts.engine.Load(options.soundFonts);
  const bool playing = audio && parts.audio.Finish();
  if (loaded.code != MMSYSERR_NOERROR) {
    parts.audio.Stop();
    return loaded;
  }
  if (audio && !playing) return {MMSYSERR_NODRIVER, NoAudioText()};
  return MMSYSERR_NOERROR;
}

// A call that throws says what it threw.
template <typename Call>
DeviceResult Guarded(Call&& call) {
  try {
    return call();
  } catch (...) {
    return CaughtFailure(std::string("The ") + BuiltinSynth::kName);
  }
}

// A prepare nobody waits for any more is left to end on its own.
constexpr auto kNoWait = std::chrono::milliseconds(0);

}  // namespace

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
    : options_(std::move(options)), parts_(std::make_shared<Parts>()), preparer_(kNoWait) {}

BuiltinSynth::~BuiltinSynth() {
  if (prepared_) prepared_->Abandon();
}

std::string BuiltinSynth::Name() const {
  return kName;
}

std::uint16_t BuiltinSynth::Technology() const {
  return MOD_SWSYNTH;
}

void BuiltinSynth::Prepare() {
  if (open_ || prepared_) return;
  try {
    prepared_ = preparer_.Ask([parts = parts_, options = options_, busy = busy_] {
      return Guarded([&] { return Start(*parts, options, busy); });
    });
  } catch (...) {
    // No worker: Open does it all.
  }
}

DeviceResult BuiltinSynth::Open() {
  if (open_) return MMSYSERR_ALLOCATED;
  // What Prepare started counts once; a failure is met again by the next Open.
  DeviceResult started;
  if (prepared_) {
    started = prepared_->Await().value_or(DeviceResult(MMSYSERR_ERROR));
    prepared_.reset();
  } else {
    started = Guarded([&] { return Start(*parts_, options_, busy_); });
  }
  open_ = started.code == MMSYSERR_NOERROR;
  return started;
}

DeviceResult BuiltinSynth::Close() {
  if (!open_) return MMSYSERR_INVALHANDLE;
  open_ = false;
  return Guarded([&] {
    // The audio thread lets go of the synthesizer at once; the engine and its SoundFont stay
    // for the next open.
    parts_->audio.Stop();
    parts_->engine.Silence();
    return DeviceResult(MMSYSERR_NOERROR);
  });
}

DeviceResult BuiltinSynth::Send(std::uint32_t message) {
  if (!open_) return MMSYSERR_INVALHANDLE;
  return Guarded([&] {
    // Nothing would be heard: its server stopped or hangs. Choosing the synthesizer again
    // starts whatever audio system runs then.
    if (parts_->audio.Stalled()) {
      return DeviceResult(MIDIERR_NOTREADY, AudioStoppedText(parts_->audio.Driver()));
    }
    const ShortMessageBytes m = UnpackShortMessage(message);
    if (m.size == 0) return DeviceResult(MMSYSERR_NOERROR);  // running status: nothing to act on
    DeviceResult played = parts_->engine.worker().Play(m);
    if (played.code != MMSYSERR_NOERROR && !played.detail.empty()) {
      played.detail = RefusedText(played.detail);
    }
    return played;
  });
}

std::string BuiltinSynth::SoundFontFile() const {
  return open_ ? parts_->engine.SoundFontFile() : std::string();
}

std::vector<float> BuiltinSynth::RenderOffline(std::size_t frames) {
  try {
    // With a driver running, the audio thread owns the rendering.
    if (!open_ || parts_->audio.Running()) return {};
    return parts_->engine.Render(frames);
  } catch (...) {
    return {};
  }
}

}  // namespace tastiva
