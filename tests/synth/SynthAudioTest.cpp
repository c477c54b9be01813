#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <memory>
#include <thread>

#include "midi/MidiResults.h"
#include "midi/synth/BuiltinSynth.h"
#include "tests/support/JackServer.h"
#include "tests/synth/SynthTestSupport.h"

namespace tastiva {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::WaitFor;

constexpr std::uint32_t kNoteOn = 0x007F3C90;
constexpr std::uint32_t kNoteOff = 0x00003C90;
const std::string kStopped =
    "The audio output of the built-in synthesizer (JACK) stopped. Start it, then choose the "
    "synthesizer again.";

TEST(SynthAudioLoss, RefusedWhileItsJackServerStopsAndChosenAgainItPlays) {
  const std::string font = test::TestSoundFont();
  ASSERT_NE(font, "") << "no SoundFont installed";
  test::PrivateServer server{"tastiva-synth-stop", "-d dummy -r 48000 -p 256"};
  ASSERT_TRUE(server.Start()) << "jackd did not start";
  server.Use();
  auto made = std::make_unique<BuiltinSynth>(BuiltinSynth::Options{{font}, {"jack"}, test::kRate});
  BuiltinSynth& synth = *made;
  ASSERT_EQ(synth.Open().code, MMSYSERR_NOERROR);
  EXPECT_EQ(synth.Send(kNoteOn).code, MMSYSERR_NOERROR);

  // A hung server (SIGSTOP): refused with the reason, and playing again once it goes on.
  DeviceResult sent;
  BuiltinSynth* playing = &synth;
  const auto refused = [&] {
    sent = playing->Send(kNoteOff);
    return sent.code != MMSYSERR_NOERROR;
  };
  kill(server.pid, SIGSTOP);
  ASSERT_TRUE(WaitFor(2s, refused));
  EXPECT_EQ(sent.code, MIDIERR_NOTREADY);
  EXPECT_EQ(sent.detail, kStopped);
  kill(server.pid, SIGCONT);
  EXPECT_TRUE(WaitFor(2s, [&] { return !refused(); }));

  // Chosen again while it hangs: neither the close nor the open waits for it for good.
  kill(server.pid, SIGSTOP);
  ASSERT_TRUE(WaitFor(2s, refused));
  const auto start = Clock::now();
  EXPECT_EQ(synth.Close().code, MMSYSERR_NOERROR);
  EXPECT_LT(Clock::now() - start, 100ms);
  EXPECT_EQ(synth.Open().code, MMSYSERR_NODRIVER);
  EXPECT_LT(Clock::now() - start, 12s);

  kill(server.pid, SIGCONT);

  // Destroyed while the server hangs, open on it or opening: at once.
  ASSERT_TRUE(WaitFor(5s, [&] { return synth.Open().code == MMSYSERR_NOERROR; }));
  kill(server.pid, SIGSTOP);
  ASSERT_TRUE(WaitFor(2s, refused));
  {
    BuiltinSynth opening({{font}, {"jack"}, test::kRate});
    opening.Prepare();
    std::this_thread::sleep_for(100ms);
    const auto destroying = Clock::now();
    made.reset();
    EXPECT_LT(Clock::now() - destroying, 100ms);
  }
  kill(server.pid, SIGCONT);

  // Killed: refused; a new server comes, and choosing the synthesizer again plays on it.
  BuiltinSynth again({{font}, {"jack"}, test::kRate});
  playing = &again;
  ASSERT_EQ(again.Open().code, MMSYSERR_NOERROR);
  server.Kill();
  ASSERT_TRUE(WaitFor(2s, refused));
  EXPECT_EQ(sent.detail, kStopped);
  ASSERT_TRUE(server.Start());
  EXPECT_EQ(again.Close().code, MMSYSERR_NOERROR);
  ASSERT_EQ(again.Open().code, MMSYSERR_NOERROR);
  EXPECT_FALSE(WaitFor(1s, refused)) << sent.detail;
}

}  // namespace
}  // namespace tastiva
