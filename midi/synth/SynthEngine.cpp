#include "midi/synth/SynthEngine.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <limits>

#include "midi/MidiResults.h"
#include "midi/synth/FluidLog.h"
#include "midi/synth/SoundFontCheck.h"
#include "midi/synth/SynthTexts.h"

namespace tastiva {

DeviceResult SynthEngine::Load(const std::vector<std::string>& soundFonts, int sampleRate) {
  if (Loaded()) return {};
  FluidLog::Instance().Install();
  settings_.reset(new_fluid_settings());
  if (!settings_) return MMSYSERR_NOMEM;
  fluid_settings_setnum(settings_.get(), "synth.sample-rate", sampleRate);
  fluid_settings_setint(settings_.get(), "synth.cpu-cores", 1);
  synth_.reset(new_fluid_synth(settings_.get()));
  if (!synth_) {
    Unload();
    return MMSYSERR_NOMEM;
  }
  std::string broken;
  for (const std::string& path : soundFonts) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) continue;
    if (LooksLikeSoundFont(path) &&
        fluid_synth_sfload(synth_.get(), path.c_str(), 1) != FLUID_FAILED) {
      return {};
    }
    if (broken.empty()) broken = path;
  }
  Unload();
  return {MIDIERR_INVALIDSETUP, NoSoundFontText(broken)};
}

void SynthEngine::Unload() {
  synth_.reset();
  settings_.reset();
}

void SynthEngine::DrainEffects() {
  // Reverb and chorus keep a tail FluidSynth offers no call to clear: render it away (about a
  // second at most, a few milliseconds of work) so the next open starts silent.
  std::array<float, 2 * 1024> block{};
  for (int i = 0; i < 100; ++i) {
    fluid_synth_write_float(synth_.get(), 1024, block.data(), 0, 2, block.data(), 1, 2);
    const bool silent =
        std::all_of(block.begin(), block.end(), [](float v) { return std::fabs(v) < 1e-5F; });
    if (silent) break;
  }
}

std::vector<float> SynthEngine::Render(std::size_t frames) {
  if (!Loaded() || frames > std::numeric_limits<std::size_t>::max() / 2) return {};
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
