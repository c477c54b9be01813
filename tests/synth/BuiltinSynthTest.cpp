#include "midi/synth/BuiltinSynth.h"

#include <gtest/gtest.h>

#include <bitset>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "midi/MidiResults.h"
#include "tests/support/JackServer.h"
#include "tests/synth/SynthTestSupport.h"

namespace tastiva {
namespace {

using test::kRate;
using test::Left;
using test::Rms;
using namespace std::chrono_literals;
constexpr std::uint32_t kReset = 0x000000FF;

std::unique_ptr<BuiltinSynth> OfflineSynth() {
  return std::make_unique<BuiltinSynth>(BuiltinSynth::Options{{test::TestSoundFont()}, {}, kRate});
}

// Plays key on program for a second, after the bank select the program sends too.
std::vector<float> Play(BuiltinSynth& synth, std::uint32_t program, std::uint32_t key) {
  EXPECT_EQ(synth.Send(0x000000B0).code, MMSYSERR_NOERROR);
  EXPECT_EQ(synth.Send(0xC0 | program << 8).code, MMSYSERR_NOERROR);
  EXPECT_EQ(synth.Send(0x007F0090 | key << 8).code, MMSYSERR_NOERROR);
  return synth.RenderOffline(kRate);
}

// The pitch of each key, as FluidSynth gives the same SoundFont by itself, is heard from the
// program at the JACK ports in tests/e2e/synth_test.sh.
TEST(BuiltinSynthSound, PlaysTheInstrumentsAskedForUntilReleased) {
  ASSERT_NE(test::TestSoundFont(), "") << "no SoundFont installed";
  auto synth = OfflineSynth();
  const DeviceResult opened = synth->Open();
  ASSERT_EQ(opened.code, MMSYSERR_NOERROR) << opened.detail;
  // A piano fades while it is held, a violin does not. The note comes right behind the
  // program change, which loads the violin's samples: it waits for them.
  const auto sustain = [&](std::uint32_t program) {
    const auto sound = Play(*synth, program, 60);
    EXPECT_EQ(synth->Send(kReset).code, MMSYSERR_NOERROR);
    return Rms(Left(sound, 0.8, 1.0)) / Rms(Left(sound, 0.0, 0.2));
  };
  const double piano = sustain(0);
  EXPECT_GT(sustain(40), 2 * piano);

  // Released as the program releases keys, with a note on of velocity 0, it fades to silence.
  EXPECT_GT(Rms(Left(Play(*synth, 0, 60), 0.9, 1.0)), 1e-3);
  ASSERT_EQ(synth->Send(0x00003C90).code, MMSYSERR_NOERROR);
  EXPECT_LT(Rms(Left(synth->RenderOffline(2 * kRate), 1.9, 2.0)), 1e-4);
}

// Prepared in the background first, as the program does (the other tests open it unprepared).
TEST(BuiltinSynthLifecycle, ReopenKeepsTheSoundFontAndStartsSilent) {
  auto synth = OfflineSynth();
  synth->Prepare();
  EXPECT_EQ(synth->Send(0x007F3C90).code, MMSYSERR_INVALHANDLE);

  ASSERT_EQ(synth->Open().code, MMSYSERR_NOERROR);
  EXPECT_EQ(synth->Open().code, MMSYSERR_ALLOCATED);
  EXPECT_GT(Rms(Left(Play(*synth, 0, 60), 0.5, 1.0)), 1e-3);
  ASSERT_EQ(synth->Close().code, MMSYSERR_NOERROR);  // with the note still held

  ASSERT_EQ(synth->Open().code, MMSYSERR_NOERROR);
  EXPECT_LT(Rms(Left(synth->RenderOffline(kRate / 5), 0.0, 0.2)), 1e-4);
  EXPECT_GT(Rms(Left(Play(*synth, 0, 60), 0.5, 1.0)), 1e-3);

  // Prepared in the background or not, an open answers alike, and a refusal is met again.
  for (const bool prepared : {false, true}) {
    BuiltinSynth silent({{test::TestSoundFont()}, {"nonexistent-driver"}, kRate});
    if (prepared) silent.Prepare();
    EXPECT_EQ(silent.Send(0x007F3C90).code, MMSYSERR_INVALHANDLE);
    for (int attempt = 0; attempt < 2; ++attempt) {
      const DeviceResult noAudio = silent.Open();
      EXPECT_EQ(noAudio.code, MMSYSERR_NODRIVER);
      EXPECT_EQ(
          noAudio.detail,
          "No audio output for the built-in synthesizer. Start PulseAudio, PipeWire or JACK.");
    }
  }
}

// A minute of a thousand key events a second over all 32 keys, far faster than FluidSynth has
// voices for: nothing is refused, and once every key is let go nothing sounds.
TEST(BuiltinSynthSound, AMinuteOfVeryFastPlayingIsNeverRefusedAndLeavesNothingSounding) {
  auto synth = OfflineSynth();
  ASSERT_EQ(synth->Open().code, MMSYSERR_NOERROR);
  std::mt19937 rng(7);
  std::bitset<32> down;
  int refused = 0;
  for (int event = 0; event < 60'000; ++event) {
    const std::size_t key = rng() % 32;
    down.flip(key);
    refused += synth->Send((down[key] ? 0x7F0090u : 0x0090u) | (53u + key) << 8).code != 0;
    synth->RenderOffline(48);  // a millisecond
  }
  for (std::size_t key = 0; key < 32; ++key) {
    if (down[key]) refused += synth->Send(0x0090u | (53u + key) << 8).code != 0;
  }
  EXPECT_EQ(refused, 0);
  EXPECT_LT(Rms(Left(synth->RenderOffline(3 * kRate), 2.5, 3.0)), 1e-4);
}

// MuseScore General's instruments decode for a second or more: notes played meanwhile wait.
TEST(BuiltinSynthSound, WhileAnInstrumentLoadsAKeyLetGoSoundsNothingLaterAndOneHeldSounds) {
  const std::string font = "/usr/share/sounds/sf3/MuseScore_General_Lite.sf3";
  ASSERT_TRUE(std::filesystem::exists(font)) << "scripts/install-deps.sh installs it";
  BuiltinSynth synth({{font}, {}, kRate});
  ASSERT_EQ(synth.Open().code, MMSYSERR_NOERROR);
  for (const std::uint32_t word : {0x000028C0u, 0x007F3C90u, 0x00003C90u}) {
    EXPECT_EQ(synth.Send(word).code, MMSYSERR_NOERROR);
  }
  EXPECT_LT(Rms(Left(synth.RenderOffline(kRate), 0.0, 1.0)), 1e-5);
  EXPECT_EQ(synth.Send(0x000029C0).code, MMSYSERR_NOERROR);
  EXPECT_EQ(synth.Send(0x007F3C90).code, MMSYSERR_NOERROR);
  EXPECT_GT(Rms(Left(synth.RenderOffline(kRate), 0.0, 1.0)), 1e-3);
}

// Threads of this process, from the kernel.
int Threads() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("Threads:", 0) == 0) return std::stoi(line.substr(8));
  }
  return -1;
}

TEST(BuiltinSynthLifecycle, DestroyedWhileItPreparesOrLoadsItLeavesNothingBehind) {
  // The slowest instrument to load there is: MuseScore General's piano decodes for seconds.
  std::string font = "/usr/share/sounds/sf3/MuseScore_General_Lite.sf3";
  if (!std::filesystem::exists(font)) font = test::TestSoundFont();
  std::thread([] {}).join();  // a sanitizer's own thread, if any, is started by now
  const int before = Threads();
  for (const bool open : {false, true}) {
    const auto start = std::chrono::steady_clock::now();
    {
      BuiltinSynth synth({{font}, {}, kRate});
      synth.Prepare();
      if (open) {
        ASSERT_EQ(synth.Open().code, MMSYSERR_NOERROR);
        synth.Send(0x000000C0);  // its samples load on the synthesizer's worker
        synth.Send(0x007F3C90);
        std::this_thread::sleep_for(100ms);  // the load under way
      }
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, open ? 10s : 1s);
  }
  // What was under way ends by itself, and its threads with it.
  EXPECT_TRUE(test::WaitFor(20s, [&] { return Threads() <= before; }))
      << Threads() << " threads, " << before << " before";
}

}  // namespace
}  // namespace tastiva
