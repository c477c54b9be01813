#include "midi/synth/SynthEngine.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <set>

#include "midi/MidiResults.h"
#include "midi/synth/FluidLog.h"
#include "midi/synth/SilenceGate.h"
#include "midi/synth/SoundFontCheck.h"
#include "midi/synth/SoundFontSearch.h"
#include "midi/synth/SynthLevel.h"
#include "midi/synth/SynthSettings.h"
#include "midi/synth/SynthTexts.h"
#include "midi/synth/SynthWorker.h"

namespace tastiva {

namespace {

// How long the reverb rings: FluidSynth's reverb decays by 60 dB at low frequencies in
// 0.7 s at room size 0 to 12.5 s at 1 (0.2, its default: 3.06 s).
double ReverbTailSeconds(fluid_settings_t* settings) {
  double roomSize = 0.2;
  fluid_settings_getnum(settings, "synth.reverb.room-size", &roomSize);
  return 0.7 + 11.8 * roomSize;
}

}  // namespace

SynthEngine::SynthEngine() = default;

SynthEngine::~SynthEngine() = default;

DeviceResult SynthEngine::Create(int sampleRate, MidiDevice::BusyHook busy) {
  if (Created()) return {};
  FluidLog::Install();
  settings_ = MakeSynthSettings(sampleRate);
  if (!settings_) return MMSYSERR_NOMEM;
  synth_ = NewFluidSynth(settings_);
  if (!synth_) return MMSYSERR_NOMEM;
  gate_ = std::make_shared<SilenceGate>(sampleRate, ReverbTailSeconds(settings_.get()));
  worker_ = std::make_unique<SynthWorker>(synth_, gate_, std::move(busy));
  return {};
}

DeviceResult SynthEngine::Load(const std::vector<std::string>& places) {
  if (loaded_) return {};
  using State = SoundFontProbe::State;
  std::vector<SoundFontProbe> found;
  std::set<std::string> seen;  // the default-GM links point at files listed again
  for (const std::string& path : ExpandSoundFonts(places, settings_.get())) {
    SoundFontProbe probe = ProbeSoundFont(path);
    if (probe.state != State::kAbsent && seen.insert(probe.file).second) found.push_back(probe);
  }
  // Of the SoundFonts the system offers, one whose instruments load at once comes first: an
  // .sf3 decodes its piano for a second or two before the first note can sound.
  std::stable_partition(found.begin(), found.end(),
                        [](const SoundFontProbe& probe) { return !probe.compressed; });
  SoundFontProbe problem;
  for (SoundFontProbe& probe : found) {
    if (probe.state == State::kPlausible) {
      const FluidLog::GLibQuiet quiet;
      // No instrument yet: each channel gets its own with its first note (SynthWorker); the
      // gain is set by the piano, which then stays on channel 0 (SetLevel: before the audio
      // driver plays the synthesizer, which it does once Load is done).
      if (fluid_synth_sfload(synth_.get(), probe.file.c_str(), 0) != FLUID_FAILED) {
        loaded_ = true;
        file_ = probe.file;
        SetLevel(synth_.get());
        return {};
      }
      probe.state = State::kUnreadable;
    }
    if (problem.state == State::kAbsent) problem = probe;
  }
  return {MIDIERR_INVALIDSETUP,
          problem.state == State::kAbsent ? NoSoundFontText() : BadSoundFontText(problem)};
}

void SynthEngine::Silence() {
  // Reverb and chorus keep a tail FluidSynth offers no call to clear: render it away (about a
  // second at most, a few milliseconds of work) so the next open starts silent. Behind a
  // load the voices stop later, and a tail, if any, plays out.
  if (!worker_->Silence()) return;
  std::array<float, 2 * 1024> block{};
  for (int i = 0; i < 100; ++i) {
    fluid_synth_write_float(synth_.get(), 1024, block.data(), 0, 2, block.data(), 1, 2);
    const bool silent =
        std::all_of(block.begin(), block.end(), [](float v) { return std::fabs(v) < 1e-5F; });
    if (silent) break;
  }
}

std::vector<float> SynthEngine::Render(std::size_t frames) {
  if (!loaded_ || frames > std::numeric_limits<std::size_t>::max() / 2) return {};
  worker_->WaitIdle();
  std::vector<float> samples(frames * 2);
  constexpr std::size_t kBlock = 4096;
  for (std::size_t done = 0; done < frames; done += kBlock) {
    const int n = static_cast<int>(std::min(kBlock, frames - done));
    float* out = samples.data() + 2 * done;
    fluid_synth_write_float(synth_.get(), n, out, 0, 2, out, 1, 2);
  }
  return samples;
}

}  // namespace tastiva
