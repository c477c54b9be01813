// Prints the fundamental of the first sounding note in a WAV file (16-bit PCM or 32-bit
// float, first channel): analysed from 100 ms to 500 ms after the sound starts.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "tools/Pitch.h"

namespace {

std::uint32_t U32(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t{p[3]} << 24;
}
std::uint16_t U16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: wav_pitch FILE.wav\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<unsigned char> wav((std::istreambuf_iterator<char>(in)), {});
  if (wav.size() < 12 || std::memcmp(wav.data(), "RIFF", 4) != 0) {
    std::fprintf(stderr, "wav_pitch: not a WAV file\n");
    return 1;
  }
  std::uint16_t format = 0, channels = 0, bits = 0;
  std::uint32_t rate = 0;
  std::vector<float> samples;
  for (std::size_t at = 12; at + 8 <= wav.size();) {
    const std::uint32_t size = U32(&wav[at + 4]);
    const unsigned char* body = &wav[at + 8];
    if (at + 8 + size > wav.size()) break;
    if (std::memcmp(&wav[at], "fmt ", 4) == 0 && size >= 16) {
      format = U16(body);
      channels = U16(body + 2);
      rate = U32(body + 4);
      bits = U16(body + 14);
      if (format == 0xFFFE && size >= 26) format = U16(body + 24);  // extensible
    } else if (std::memcmp(&wav[at], "data", 4) == 0 && channels > 0) {
      const std::size_t frame = channels * bits / 8u;
      for (std::size_t i = 0; i + frame <= size; i += frame) {
        if (format == 1 && bits == 16) {
          samples.push_back(static_cast<std::int16_t>(U16(body + i)) / 32768.0f);
        } else if (format == 3 && bits == 32) {
          float v;
          std::memcpy(&v, body + i, 4);
          samples.push_back(v);
        }
      }
    }
    at += 8 + size + (size & 1);
  }
  if (samples.empty() || rate == 0) {
    std::fprintf(stderr, "wav_pitch: no 16-bit or float samples\n");
    return 1;
  }
  float peak = 0;
  for (float v : samples) peak = std::max(peak, std::fabs(v));
  std::size_t onset = 0;
  while (onset < samples.size() && std::fabs(samples[onset]) < peak * 0.05f) ++onset;
  const std::size_t from = onset + rate / 10, to = onset + rate / 2;
  if (peak < 1e-4f || to > samples.size()) {
    std::fprintf(stderr, "wav_pitch: no note long enough (peak %g)\n", peak);
    return 1;
  }
  const std::vector<float> note(samples.begin() + static_cast<std::ptrdiff_t>(from),
                                samples.begin() + static_cast<std::ptrdiff_t>(to));
  std::printf("%.2f\n", tastiva::test::Fundamental(note, rate));
  return 0;
}
