// Each short message reaches FluidSynth as the call it means, on its channel, with its data;
// what FluidSynth says of a call reaches the thread that made it.
#include "midi/synth/SynthDispatch.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "midi/MidiResults.h"
#include "midi/synth/FluidLog.h"
#include "midi/synth/SynthSettings.h"

namespace tastiva {
namespace {

TEST(SynthDispatch, EachMessageIsItsCallOnItsChannelWithItsData) {
  FluidLog::Install();
  const FluidSynthHandle synth = NewFluidSynth(MakeSynthSettings(48000));  // no SoundFont
  ASSERT_TRUE(synth);
  fluid_synth_t* s = synth.get();
  const auto play = [&](std::uint8_t a, std::uint8_t b, std::uint8_t c) {
    return DispatchToSynth(s, {{a, b, c}, 3});
  };
  const auto cc = [&](int channel, int number) {
    int value = -1;
    fluid_synth_get_cc(s, channel, number, &value);
    return value;
  };
  const auto bend = [&](int channel) {
    int value = -1;
    fluid_synth_get_pitch_bend(s, channel, &value);
    return value;
  };

  EXPECT_EQ(play(0xB5, 10, 32), MMSYSERR_NOERROR);
  EXPECT_EQ(cc(5, 10), 32);
  EXPECT_EQ(cc(0, 10), 64);
  EXPECT_EQ(play(0xB0, 7, 0xE4), MMSYSERR_NOERROR);  // seven bits of each data byte
  EXPECT_EQ(cc(0, 7), 0x64);
  EXPECT_EQ(play(0xE1, 0x01, 0x40), MMSYSERR_NOERROR);  // least significant byte first
  EXPECT_EQ(bend(1), 0x2001);
  EXPECT_EQ(bend(0), 0x2000);

  // A reset puts every channel back and stops every voice.
  EXPECT_EQ(play(0xFF, 0, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(cc(5, 10), 64);
  EXPECT_EQ(bend(1), 0x2000);

  // Notes are never refused: a note off though nothing sounds, a note on FluidSynth finds no
  // voice for (as under very fast playing; here, with no instrument at all).
  EXPECT_EQ(play(0x80, 60, 64), MMSYSERR_NOERROR);
  EXPECT_EQ(play(0x90, 60, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(play(0x90, 60, 127), MMSYSERR_NOERROR);
}

// What FluidSynth says while a thread captures goes to that thread's capture only, however
// many threads call it at once.
TEST(SynthDispatch, EachThreadHearsOnlyWhatItsOwnCallsSaid) {
  FluidLog::Install();
  const FluidSynthHandle synth = NewFluidSynth(MakeSynthSettings(48000));
  std::vector<std::string> heard(4);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < heard.size(); ++i) {
    threads.emplace_back([&, i] {
      for (int round = 0; round < 20; ++round) {
        const FluidLog::Capture capture;
        const std::string path = "/nonexistent/font-" + std::to_string(i) + ".sf2";
        fluid_synth_sfload(synth.get(), path.c_str(), 0);
        if (capture.Text().find(path) == std::string::npos) heard[i] = capture.Text();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const std::string& wrong : heard) EXPECT_EQ(wrong, "");
  const FluidLog::Capture quiet;
  EXPECT_EQ(quiet.Text(), "");
}

}  // namespace
}  // namespace tastiva
