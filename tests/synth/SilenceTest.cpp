#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "midi/MidiResults.h"
#include "midi/synth/SilenceGate.h"
#include "midi/synth/SynthAudio.h"
#include "midi/synth/SynthEngine.h"
#include "midi/synth/SynthWorker.h"
#include "tests/support/JackServer.h"
#include "tests/synth/SynthTestSupport.h"
#include "tools/JackCapture.h"

namespace tastiva {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const ShortMessageBytes kNoteOn = UnpackShortMessage(0x007F3C90);
const ShortMessageBytes kNoteOff = UnpackShortMessage(0x00003C90);
constexpr std::size_t kOnset = test::kRate / 400;  // the first 2.5 ms: no effect has answered yet

// The left channel reaching capture for time.
std::vector<float> Record(JackCapture& capture, std::chrono::milliseconds time) {
  std::vector<float> left;
  const auto end = Clock::now() + time;
  for (JackCapture::Record r; Clock::now() < end; std::this_thread::sleep_for(5ms)) {
    while (capture.Next(r)) {
      const std::size_t frames = r.bytes.size() / (2 * sizeof(float));
      left.resize(left.size() + frames);
      std::memcpy(left.data() + left.size() - frames, r.bytes.data(), frames * sizeof(float));
    }
  }
  return left;
}

// Where the note's attack passes -60 dBFS: far above what the reverb leaves when it sleeps.
std::size_t Attack(const std::vector<float>& x) {
  return std::find_if(x.begin(), x.end(), [](float v) { return std::fabs(v) > 1e-3F; }) - x.begin();
}

// Recorded at JACK ports: asleep, the synthesizer renders nothing (FluidSynth's clock stands)
// and its output is silent; a note wakes it and sounds from its first sample exactly as
// FluidSynth renders it by itself, after the first start and after a long quiet alike; once
// the note and its reverb have died away it sleeps again.
TEST(SynthSilence, RendersNothingWhileQuietAndANoteStartsAsFluidSynthPlaysIt) {
  const std::string font = test::TestSoundFont();
  ASSERT_NE(font, "") << "no SoundFont installed";
  test::PrivateServer server{"tastiva-synth-quiet", "-d dummy -r 48000 -p 256"};
  ASSERT_TRUE(server.Start()) << "jackd did not start";
  server.Use();
  JackCapture capture;
  std::string error;
  ASSERT_TRUE(capture.Open("quiet", {.audio = true, .samples = true}, error)) << error;

  SynthEngine reference;  // FluidSynth by itself, never paused
  ASSERT_EQ(reference.Create(test::kRate).code, MMSYSERR_NOERROR);
  ASSERT_EQ(reference.Load({font}).code, MMSYSERR_NOERROR);

  SynthEngine engine;
  ASSERT_EQ(engine.Create(test::kRate).code, MMSYSERR_NOERROR);
  // FluidSynth's own clock: a sequencer that counts the samples FluidSynth renders.
  const std::unique_ptr<fluid_sequencer_t, void (*)(fluid_sequencer_t*)> clock(
      new_fluid_sequencer2(0), &delete_fluid_sequencer);
  fluid_sequencer_register_fluidsynth(clock.get(), engine.synth().get());
  SynthAudio audio;  // declared after them: stopped first
  audio.Begin(engine.settings(), engine.synth(), engine.gate(), {"jack"});
  ASSERT_EQ(engine.Load({font}).code, MMSYSERR_NOERROR);
  ASSERT_TRUE(audio.Finish());
  for (const char* side : {"left", "right"}) {
    const std::string from = std::string("Tastiva:") + side, to = std::string("quiet:") + side;
    ASSERT_EQ(jack_connect(capture.client(), from.c_str(), to.c_str()), 0);
  }
  const auto ticks = [&] { return fluid_sequencer_get_tick(clock.get()); };
  const auto asleep = [&] {
    const unsigned before = ticks();
    const std::vector<float> heard = Record(capture, 300ms);
    return ticks() == before && test::Peak(heard) == 0;
  };
  EXPECT_TRUE(asleep()) << "a synthesizer just opened";

  for (const char* when : {"first note", "after a long quiet"}) {
    SCOPED_TRACE(when);
    capture.Drain();
    const std::uint64_t xruns = capture.xruns();
    engine.worker().Play(kNoteOn);
    const std::vector<float> heard = Record(capture, 200ms);
    engine.worker().Play(kNoteOff);
    // Periods cut short (ThreadSanitizer's builds render notes too slowly) cannot be compared.
    const bool whole = capture.xruns() == xruns;
    // The same note after the same notes, FluidSynth rendering all the while.
    reference.worker().Play(kNoteOn);
    const std::vector<float> alone = test::Left(reference.Render(test::kRate / 10), 0, 0.1);
    reference.worker().Play(kNoteOff);
    reference.Render(6 * test::kRate);
    // FluidSynth starts a note at the first sample of the period it renders it in: heard
    // before that, exact silence; from it, FluidSynth's own note under what the reverb left.
    float apart = 0;
    const std::size_t attack = Attack(alone);
    if (whole) {
      ASSERT_LE(attack, Attack(heard));
      const std::size_t start = Attack(heard) - attack;
      ASSERT_LT(start + attack + kOnset, heard.size());
      EXPECT_EQ(test::Peak({heard.begin(), heard.begin() + start}), 0);
      for (std::size_t i = 0; i < attack + kOnset; ++i) {
        ASSERT_NEAR(heard[start + i], alone[i], SilenceGate::kFloor) << i << " samples in";
        apart = std::max(apart, std::fabs(heard[start + i] - alone[i]));
      }
    }
    // Asleep again once quiet for the reverb's tail (3.1 s) after the release.
    const auto released = Clock::now();
    while (!asleep() && Clock::now() - released < 15s) {
    }
    EXPECT_LT(Clock::now() - released, 15s);
    std::printf("%s: onset %s, asleep %.1f s after the release\n", when,
                !whole      ? "not compared (xruns while it sounded)"
                : apart > 0 ? ("off FluidSynth's by " +
                               std::to_string(20 * std::log10(apart / test::Peak(alone))) +
                               " dB of its peak at most")
                                  .c_str()
                            : "exactly FluidSynth's",
                std::chrono::duration<double>(Clock::now() - released).count());
  }
}

}  // namespace
}  // namespace tastiva
