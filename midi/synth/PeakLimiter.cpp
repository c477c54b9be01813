#include "midi/synth/PeakLimiter.h"

#include <algorithm>
#include <cmath>

namespace tastiva {

PeakLimiter::PeakLimiter(double sampleRate)
    : keep_(static_cast<float>(std::exp(-1 / (kReleaseSeconds * std::max(sampleRate, 1.0))))) {}

float PeakLimiter::Process(float* const* channels, int count, int frames) {
  float loudest = 0;
  for (int i = 0; i < frames; ++i) {
    float peak = 0;
    for (int c = 0; c < count; ++c) peak = std::max(peak, std::fabs(channels[c][i]));
    gain_ = 1 - (1 - gain_) * keep_;
    if (peak * gain_ > kCeiling) gain_ = kCeiling / peak;
    // The clamp only catches the rounding of the product.
    for (int c = 0; c < count; ++c) {
      channels[c][i] = std::clamp(channels[c][i] * gain_, -kCeiling, kCeiling);
    }
    loudest = std::max(loudest, std::min(peak * gain_, kCeiling));
  }
  return loudest;
}

}  // namespace tastiva
