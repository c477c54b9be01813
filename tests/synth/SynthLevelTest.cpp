#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

#include "midi/MidiResults.h"
#include "midi/synth/BuiltinSynth.h"
#include "tests/support/JackServer.h"
#include "tests/synth/SynthTestSupport.h"
#include "tools/JackCapture.h"

namespace tastiva {
namespace {

using namespace std::chrono_literals;
using Keys = std::vector<std::uint32_t>;

const auto Db = [](double level) { return 20 * std::log10(level); };

// The loudest sample reaching capture within time or, with sound set, within time after the
// sound starts (an .sf3 decodes the piano for a second or more first).
double Loudest(JackCapture& capture, std::chrono::milliseconds time, bool sound = false) {
  float peak = 0;
  auto end = std::chrono::steady_clock::now() + (sound ? 10s : time);
  for (JackCapture::Record r; std::chrono::steady_clock::now() < end;) {
    while (capture.Next(r)) {
      if (sound && r.peak > 1e-3) {
        sound = false;
        end = std::chrono::steady_clock::now() + time;
      }
      peak = std::max(peak, r.peak);
    }
    std::this_thread::sleep_for(10ms);
  }
  return Db(peak);
}

// The peak of keys at full velocity on the piano rendered offline: the same gain, no limiter.
double OfflinePeak(const char* font, const Keys& keys) {
  BuiltinSynth synth({{font}, {}, test::kRate});
  EXPECT_EQ(synth.Open().code, MMSYSERR_NOERROR);
  for (const std::uint32_t key : keys) synth.Send(0x007F0090 | key << 8);
  return Db(test::Peak(synth.RenderOffline(test::kRate)));
}

// Recorded at the JACK ports: the piano's C4 at full velocity between -12 and -6 dBFS with any
// SoundFont, ten keys at once never over -0.1 dBFS.
TEST(SynthLevel, C4IsLoudAndTenKeysStayUnderFullScale) {
  test::PrivateServer server{"tastiva-synth-level", "-d dummy -r 48000 -p 256"};
  ASSERT_TRUE(server.Start()) << "jackd did not start";
  server.Use();
  JackCapture capture;
  std::string error;
  ASSERT_TRUE(capture.Open("level", {.audio = true}, error)) << error;
  const Keys c4 = {60};
  const Keys ten = {53, 55, 57, 59, 60, 62, 64, 65, 67, 69};  // F3 to A4, the white keys
  for (const char* font :
       {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
        "/usr/share/sounds/sf3/MuseScore_General_Lite.sf3"}) {
    SCOPED_TRACE(font);
    ASSERT_TRUE(std::filesystem::exists(font)) << "scripts/install-deps.sh installs it";
    auto synth =
        std::make_unique<BuiltinSynth>(BuiltinSynth::Options{{font}, {"jack"}, test::kRate});
    ASSERT_EQ(synth->Open().code, MMSYSERR_NOERROR);
    for (const char* side : {"left", "right"}) {
      const std::string from = std::string("Tastiva:") + side, to = std::string("level:") + side;
      ASSERT_TRUE(test::WaitFor(
          5s, [&] { return jack_connect(capture.client(), from.c_str(), to.c_str()) == 0; }));
    }
    const auto play = [&](const Keys& keys, std::uint32_t velocity) {
      capture.Drain();
      for (const std::uint32_t key : keys) synth->Send(0x90 | key << 8 | velocity << 16);
    };
    ASSERT_EQ(synth->Send(0x000000B0).code, MMSYSERR_NOERROR);  // as the program starts
    ASSERT_EQ(synth->Send(0x000000C0).code, MMSYSERR_NOERROR);
    // Played again if periods were lost while it sounded (xruns under a sanitizer's slowness).
    double c4Peak = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
      const std::uint64_t xruns = capture.xruns();
      play(c4, 127);
      c4Peak = Loudest(capture, 1s, true);
      play(c4, 0);
      EXPECT_TRUE(test::WaitFor(5s, [&] { return Loudest(capture, 100ms) < -60; }));
      if (capture.xruns() == xruns) break;
      std::printf("C4 %.1f dBFS not counted: %llu xruns\n", c4Peak,
                  static_cast<unsigned long long>(capture.xruns() - xruns));
    }
    play(ten, 127);
    const double tenPeak = Loudest(capture, 1s, true);
    const double offlineC4 = OfflinePeak(font, c4);
    const double unlimited = OfflinePeak(font, ten);
    std::printf("%s, dBFS: C4 %.1f (offline %.1f), ten keys %.3f (unlimited %.1f)\n",
                std::filesystem::path(font).filename().c_str(), c4Peak, offlineC4, tenPeak,
                unlimited);
    EXPECT_GE(c4Peak, -12);
    EXPECT_LE(c4Peak, -6);
    EXPECT_NEAR(offlineC4, c4Peak, 0.5);
    EXPECT_LE(tenPeak, -0.1);
    EXPECT_GT(unlimited, -0.1);  // so the limiter had work to do
    synth.reset();
    ASSERT_TRUE(test::WaitFor(5s, [&] {  // its JACK client gone, for the next one's name
      return jack_port_by_name(capture.client(), "Tastiva:left") == nullptr;
    }));
  }
}

}  // namespace
}  // namespace tastiva
