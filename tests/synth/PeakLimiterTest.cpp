#include "midi/synth/PeakLimiter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tastiva {
namespace {

TEST(PeakLimiter, NoSampleOverTheCeilingAndTheGainReturnsSmoothly) {
  constexpr double kRate = 48000;
  PeakLimiter limiter(kRate);
  // A 440 Hz sine of level on the left and a tenth of it on the right, for seconds; the gain
  // expected after it (0: not checked, a loud sine's is between its crests).
  const struct {
    double level, seconds;
    float gainAfter;
  } steps[] = {{0.5, 0.1, 1}, {4.0, 0.2, 0}, {1e6, 0.01, 0}, {0.1, 0.75, 0.99F}};
  for (const auto& step : steps) {
    const int n = static_cast<int>(step.seconds * kRate);
    std::vector<float> left(n), right(n);
    for (int i = 0; i < n; ++i) {
      left[i] = static_cast<float>(step.level * std::sin(2 * M_PI * 440 * i / kRate));
      right[i] = left[i] / 10;
    }
    const std::vector<float> in = left;
    float last = limiter.gain();
    for (int i = 0; i < n; i += 256) {
      float* channels[] = {left.data() + i, right.data() + i};
      const float out = limiter.Process(channels, 2, std::min(256, n - i));
      float loudest = 0;
      for (int j = i; j < std::min(i + 256, n); ++j)
        loudest = std::max(loudest, std::fabs(left[j]));
      EXPECT_EQ(out, loudest);  // what the output's silence is judged by
      // Down at once; back up by at most the release's share of the way per period.
      EXPECT_LE(limiter.gain() - last, 256 * (1 - last) / (PeakLimiter::kReleaseSeconds * kRate));
      last = limiter.gain();
    }
    float peak = 0;
    for (int i = 0; i < n; ++i) {
      peak = std::max(peak, std::fabs(left[i]));
      EXPECT_NEAR(right[i] * 10, left[i], 1e-6);  // one gain for both sides
    }
    EXPECT_LE(peak, PeakLimiter::kCeiling) << step.level;
    if (step.level > 1) {
      EXPECT_NEAR(peak, PeakLimiter::kCeiling, 1e-3);
    } else if (step.level == 0.5) {
      EXPECT_EQ(left, in);
    }
    if (step.gainAfter > 0) {
      EXPECT_NEAR(limiter.gain(), step.gainAfter, 0.01) << step.level;
    }
  }
}

}  // namespace
}  // namespace tastiva
