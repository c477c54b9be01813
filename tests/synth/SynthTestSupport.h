#pragma once

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace tastiva::test {

constexpr int kRate = 48000;

// The SoundFont the tests play: TimGM6mb, the quickest to load, which scripts/install-deps.sh
// installs; empty where it is missing.
inline std::string TestSoundFont() {
  const std::string font = "/usr/share/sounds/sf2/TimGM6mb.sf2";
  return std::filesystem::exists(font) ? font : "";
}

// The left channel of seconds [from, to) of interleaved stereo.
inline std::vector<float> Left(const std::vector<float>& stereo, double from, double to) {
  std::vector<float> mono;
  for (auto i = static_cast<std::size_t>(from * kRate); i < to * kRate && 2 * i < stereo.size();
       ++i) {
    mono.push_back(stereo[2 * i]);
  }
  return mono;
}

inline double Rms(const std::vector<float>& x) {
  double sum = 0;
  for (float v : x) sum += double{v} * v;
  return x.empty() ? 0 : std::sqrt(sum / x.size());
}

inline float Peak(const std::vector<float>& x) {
  float peak = 0;
  for (float v : x) peak = std::max(peak, std::fabs(v));
  return peak;
}

}  // namespace tastiva::test
