#include "midi/synth/SynthLevel.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tastiva {

namespace {

constexpr double kTarget = 0.355;  // -9 dBFS
constexpr int kKey = 60;
// The piano's attack peaks within 30 ms in the SoundFonts measured.
constexpr double kSeconds = 0.2;
constexpr double kMaxGain = 10;  // FluidSynth's own limit

// Reverb and chorus as the settings have them, or off.
void Effects(fluid_synth_t* synth, bool on) {
  fluid_settings_t* settings = fluid_synth_get_settings(synth);
  int reverb = 0;
  int chorus = 0;
  if (on) {
    fluid_settings_getint(settings, "synth.reverb.active", &reverb);
    fluid_settings_getint(settings, "synth.chorus.active", &chorus);
  }
  fluid_synth_reverb_on(synth, -1, reverb);
  fluid_synth_chorus_on(synth, -1, chorus);
}

}  // namespace

void SetLevel(fluid_synth_t* synth) {
  if (fluid_synth_program_change(synth, 0, 0) != FLUID_OK) return;
  double rate = 48000;
  fluid_settings_getnum(fluid_synth_get_settings(synth), "synth.sample-rate", &rate);
  // The effects add to the sound later, not to its peak; off, they leave no tail to clear.
  Effects(synth, false);
  fluid_synth_noteon(synth, 0, kKey, 127);
  std::array<float, 2 * 512> block{};
  float peak = 0;
  for (double done = 0; done < kSeconds * rate; done += block.size() / 2) {
    fluid_synth_write_float(synth, block.size() / 2, block.data(), 0, 2, block.data(), 1, 2);
    for (const float v : block) peak = std::max(peak, std::fabs(v));
  }
  // Rendered once more, so the voices are gone before the next note: played at once from
  // another thread, that one sounded 1.8 dB louder otherwise.
  fluid_synth_all_sounds_off(synth, 0);
  fluid_synth_write_float(synth, block.size() / 2, block.data(), 0, 2, block.data(), 1, 2);
  Effects(synth, true);
  // Through the settings, which pass it on to the synthesizer (fluid_synth_set_gain would do
  // the same, but ThreadSanitizer takes its unlock of FluidSynth's mutex for ours).
  fluid_settings_t* settings = fluid_synth_get_settings(synth);
  double gain = 0;
  if (peak > 0 && fluid_settings_getnum(settings, "synth.gain", &gain) == FLUID_OK) {
    fluid_settings_setnum(settings, "synth.gain", std::min(gain * kTarget / peak, kMaxGain));
  }
}

}  // namespace tastiva
