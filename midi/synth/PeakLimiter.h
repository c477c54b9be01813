#pragma once

namespace tastiva {

// Keeps the synthesizer's output below full scale: chords of many keys add up to more than
// the single note the gain is set by (SynthLevel), and are turned down rather than clipped.
// The attack is instant, so no sample ever leaves louder than kCeiling; the gain then returns
// to unity smoothly. One gain for all channels keeps the stereo image. For the audio thread:
// arithmetic only, no lock, no allocation. Only the audio output has one: offline rendering
// (BuiltinSynth::RenderOffline) is for analysis, in floats that do not clip, of FluidSynth's
// own sound.
class PeakLimiter {
 public:
  static constexpr float kCeiling = 0.988F;        // just under -0.1 dBFS
  static constexpr double kReleaseSeconds = 0.15;  // time constant of the return to unity

  explicit PeakLimiter(double sampleRate = 48000);

  // Limits frames samples of count channels in place; returns the largest magnitude let out.
  float Process(float* const* channels, int count, int frames);
  float gain() const { return gain_; }

 private:
  float keep_;  // the share of the distance to unity gain kept from one sample to the next
  float gain_ = 1;
};

}  // namespace tastiva
