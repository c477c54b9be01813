#include "midi/BuiltinSynth.h"
#include "tests/support/Pitch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>

#include "midi/MidiResults.h"

namespace tastiva {
namespace {

constexpr int kRate = 48000;

std::unique_ptr<BuiltinSynth> OfflineSynth() {
  BuiltinSynth::Options options = BuiltinSynth::DefaultOptions();
  options.audioDrivers.clear();
  options.sampleRate = kRate;
  return std::make_unique<BuiltinSynth>(options);
}

// The left channel of seconds [from, to) of interleaved stereo.
std::vector<float> Left(const std::vector<float>& stereo, double from, double to) {
  std::vector<float> mono;
  for (auto i = static_cast<std::size_t>(from * kRate); i < to * kRate && 2 * i < stereo.size();
       ++i) {
    mono.push_back(stereo[2 * i]);
  }
  return mono;
}

double Rms(const std::vector<float>& x) {
  double sum = 0;
  for (float v : x) sum += double{v} * v;
  return x.empty() ? 0 : std::sqrt(sum / x.size());
}

double Fundamental(const std::vector<float>& x) {
  return test::Fundamental(x, kRate);
}

// Plays key on program for a second, after the bank select the program sends too.
std::vector<float> Play(BuiltinSynth& synth, std::uint32_t program, std::uint32_t key,
                        std::uint32_t bend = 0x00400000) {
  EXPECT_EQ(synth.Send(0x000000B0), MMSYSERR_NOERROR);
  EXPECT_EQ(synth.Send(0xC0 | program << 8), MMSYSERR_NOERROR);
  EXPECT_EQ(synth.Send(0xE0 | bend), MMSYSERR_NOERROR);
  EXPECT_EQ(synth.Send(0x007F0090 | key << 8), MMSYSERR_NOERROR);
  return synth.RenderOffline(kRate);
}

TEST(BuiltinSynthSound, PlaysTheNotesAndInstrumentsAskedFor) {
  auto synth = OfflineSynth();
  ASSERT_EQ(synth->Open(), MMSYSERR_NOERROR) << synth->ErrorDetail();
  const struct {
    std::uint32_t key, bend;
    double hertz;
  } cases[] = {{60, 0x00400000, 261.63},   // middle C
               {53, 0x00400000, 174.61},   // F below
               {60, 0x00600000, 277.18}};  // bent up a semitone: the 14-bit value's byte order
  for (const auto& c : cases) {
    const auto sound = Play(*synth, 0, c.key, c.bend);
    EXPECT_NEAR(Fundamental(Left(sound, 0.3, 0.4)), c.hertz, c.hertz * 0.01) << "key " << c.key;
    ASSERT_EQ(synth->Send(0x000000FF), MMSYSERR_NOERROR);
  }

  // A piano fades while it is held, a violin does not.
  const auto sustain = [&](std::uint32_t program) {
    const auto sound = Play(*synth, program, 60);
    EXPECT_EQ(synth->Send(0x000000FF), MMSYSERR_NOERROR);
    return Rms(Left(sound, 0.8, 1.0)) / Rms(Left(sound, 0.0, 0.2));
  };
  const double piano = sustain(0);
  EXPECT_GT(sustain(40), 2 * piano);
}

TEST(BuiltinSynthSound, NoteOffAndResetSilence) {
  auto synth = OfflineSynth();
  ASSERT_EQ(synth->Open(), MMSYSERR_NOERROR);
  EXPECT_GT(Rms(Left(Play(*synth, 0, 60), 0.9, 1.0)), 1e-3);
  ASSERT_EQ(synth->Send(0x00003C90), MMSYSERR_NOERROR);  // note on with velocity 0
  EXPECT_LT(Rms(Left(synth->RenderOffline(2 * kRate), 1.9, 2.0)), 1e-4);

  // A note off for a key that no longer sounds is not an error.
  EXPECT_EQ(synth->Send(0x00403C80), MMSYSERR_NOERROR);

  // Data bytes above 127 keep their low seven bits: this is key 60 at velocity 127. Strings,
  // whose long release would outlast the check below unless the reset stops them.
  ASSERT_EQ(synth->Send(0x000030C0), MMSYSERR_NOERROR);
  EXPECT_EQ(synth->Send(0x00FFBC90), MMSYSERR_NOERROR);
  EXPECT_GT(Rms(Left(synth->RenderOffline(kRate / 2), 0.4, 0.5)), 1e-3);
  ASSERT_EQ(synth->Send(0x000000FF), MMSYSERR_NOERROR);
  EXPECT_LT(Rms(Left(synth->RenderOffline(kRate), 0.9, 1.0)), 1e-4);

  // Running status and real-time messages are accepted and ignored.
  EXPECT_EQ(synth->Send(0x00007F3C), MMSYSERR_NOERROR);
  EXPECT_EQ(synth->Send(0x000000F8), MMSYSERR_NOERROR);
}

TEST(BuiltinSynthLifecycle, ReopenKeepsTheSoundFontAndStartsSilent) {
  auto synth = OfflineSynth();
  EXPECT_TRUE(synth->RenderOffline(16).empty());  // nothing loaded yet
  EXPECT_EQ(synth->Send(0x007F3C90), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(synth->Close(), MMSYSERR_INVALHANDLE);

  std::thread([&] { synth->Preload(); }).join();
  EXPECT_EQ(synth->RenderOffline(16).size(), 32u);

  ASSERT_EQ(synth->Open(), MMSYSERR_NOERROR);
  EXPECT_EQ(synth->Open(), MMSYSERR_ALLOCATED);
  EXPECT_GT(Rms(Left(Play(*synth, 0, 60), 0.5, 1.0)), 1e-3);
  ASSERT_EQ(synth->Close(), MMSYSERR_NOERROR);  // with the note still held
  EXPECT_EQ(synth->Send(0x00003C80), MMSYSERR_INVALHANDLE);

  ASSERT_EQ(synth->Open(), MMSYSERR_NOERROR);
  EXPECT_LT(Rms(Left(synth->RenderOffline(kRate / 5), 0.0, 0.2)), 1e-4);
  EXPECT_GT(Rms(Left(Play(*synth, 0, 60), 0.5, 1.0)), 1e-3);
}

TEST(BuiltinSynthLifecycle, RefusalsSayWhatToDo) {
  const auto dir =
      std::filesystem::temp_directory_path() /
      ("tastiva-synth-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  std::filesystem::create_directories(dir);
  const auto fonts = [](std::vector<std::string> paths) {
    return BuiltinSynth::Options{std::move(paths), {}, kRate};
  };

  BuiltinSynth missing(fonts({(dir / "a.sf2").string(), dir.string()}));
  EXPECT_EQ(missing.Open(), MIDIERR_INVALIDSETUP);
  EXPECT_NE(missing.ErrorDetail().find("SoundFont"), std::string::npos);
  EXPECT_EQ(missing.Open(), MIDIERR_INVALIDSETUP);  // retried, still refused
  EXPECT_TRUE(missing.RenderOffline(16).empty());

  // The first broken file is named, its path cut to fit the 127-character message.
  for (const std::string& name :
       {std::string("Broken.sf2"), std::string(150, 'x') + "Broken.sf2"}) {
    std::ofstream(dir / name) << "RIFF not really a SoundFont";
    BuiltinSynth broken(fonts({(dir / "absent.sf2").string(), (dir / name).string()}));
    EXPECT_EQ(broken.Open(), MIDIERR_INVALIDSETUP);
    EXPECT_NE(broken.ErrorDetail().find("Broken.sf2 could not be read"), std::string::npos);
    EXPECT_LE(broken.ErrorDetail().size(), 127u) << broken.ErrorDetail();
  }
  // A later SoundFont that loads is used instead.
  auto usable = BuiltinSynth::DefaultOptions().soundFonts;
  usable.insert(usable.begin(), (dir / "Broken.sf2").string());
  EXPECT_EQ(BuiltinSynth(fonts(usable)).Open(), MMSYSERR_NOERROR);
  std::filesystem::remove_all(dir);

  auto options = BuiltinSynth::DefaultOptions();
  options.audioDrivers = {"nonexistent-driver"};
  BuiltinSynth silent(options);
  EXPECT_EQ(silent.Open(), MMSYSERR_NODRIVER);
  EXPECT_NE(silent.ErrorDetail().find("No audio output"), std::string::npos);
  EXPECT_EQ(silent.Send(0x007F3C90), MMSYSERR_INVALHANDLE);
}

}  // namespace
}  // namespace tastiva
