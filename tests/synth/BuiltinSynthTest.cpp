#include "midi/BuiltinSynth.h"
#include "tests/support/Pitch.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <utility>

#include "midi/MidiResults.h"

namespace tastiva {
namespace {

constexpr int kRate = 48000;
constexpr std::uint32_t kReset = 0x000000FF;

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

// Plays key on program for a second, after the bank select the program sends too.
std::vector<float> Play(BuiltinSynth& synth, std::uint32_t program, std::uint32_t key) {
  EXPECT_EQ(synth.Send(0x000000B0), MMSYSERR_NOERROR);
  EXPECT_EQ(synth.Send(0xC0 | program << 8), MMSYSERR_NOERROR);
  EXPECT_EQ(synth.Send(0x007F0090 | key << 8), MMSYSERR_NOERROR);
  return synth.RenderOffline(kRate);
}

TEST(BuiltinSynthSound, PlaysTheNotesAndInstrumentsAskedForUntilReleased) {
  auto synth = OfflineSynth();
  ASSERT_EQ(synth->Open(), MMSYSERR_NOERROR) << synth->ErrorDetail();
  for (const auto& [key, hertz] : {std::pair{60u, 261.63}, {53u, 174.61}}) {
    const auto sound = Left(Play(*synth, 0, key), 0.3, 0.4);
    EXPECT_NEAR(test::Fundamental(sound, kRate), hertz, hertz * 0.01) << "key " << key;
    ASSERT_EQ(synth->Send(kReset), MMSYSERR_NOERROR);
  }

  // A piano fades while it is held, a violin does not.
  const auto sustain = [&](std::uint32_t program) {
    const auto sound = Play(*synth, program, 60);
    EXPECT_EQ(synth->Send(kReset), MMSYSERR_NOERROR);
    return Rms(Left(sound, 0.8, 1.0)) / Rms(Left(sound, 0.0, 0.2));
  };
  const double piano = sustain(0);
  EXPECT_GT(sustain(40), 2 * piano);

  // Released as the program releases keys, with a note on of velocity 0, it fades to silence.
  EXPECT_GT(Rms(Left(Play(*synth, 0, 60), 0.9, 1.0)), 1e-3);
  ASSERT_EQ(synth->Send(0x00003C90), MMSYSERR_NOERROR);
  EXPECT_LT(Rms(Left(synth->RenderOffline(2 * kRate), 1.9, 2.0)), 1e-4);
}

TEST(BuiltinSynthLifecycle, ReopenKeepsTheSoundFontAndStartsSilent) {
  auto synth = OfflineSynth();
  EXPECT_EQ(synth->Send(0x007F3C90), MMSYSERR_INVALHANDLE);

  ASSERT_EQ(synth->Open(), MMSYSERR_NOERROR);
  EXPECT_EQ(synth->Open(), MMSYSERR_ALLOCATED);
  EXPECT_GT(Rms(Left(Play(*synth, 0, 60), 0.5, 1.0)), 1e-3);
  ASSERT_EQ(synth->Close(), MMSYSERR_NOERROR);  // with the note still held

  ASSERT_EQ(synth->Open(), MMSYSERR_NOERROR);
  EXPECT_LT(Rms(Left(synth->RenderOffline(kRate / 5), 0.0, 0.2)), 1e-4);
  EXPECT_GT(Rms(Left(Play(*synth, 0, 60), 0.5, 1.0)), 1e-3);
}

TEST(BuiltinSynthLifecycle, RefusalsSayWhatToDo) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("tastiva-synth-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  BuiltinSynth missing({{(dir / "a.sf2").string(), dir.string()}, {}, kRate});
  EXPECT_EQ(missing.Open(), MIDIERR_INVALIDSETUP);
  EXPECT_NE(missing.ErrorDetail().find("SoundFont"), std::string::npos);

  // The first broken file is named, its long path cut to fit the 127-character message.
  const auto path = dir / (std::string(150, 'x') + "Broken.sf2");
  std::ofstream(path) << "RIFF not really a SoundFont";
  BuiltinSynth broken({{(dir / "absent.sf2").string(), path.string()}, {}, kRate});
  EXPECT_EQ(broken.Open(), MIDIERR_INVALIDSETUP);
  EXPECT_NE(broken.ErrorDetail().find("Broken.sf2 could not be read"), std::string::npos);
  EXPECT_LE(broken.ErrorDetail().size(), 127u) << broken.ErrorDetail();
  std::filesystem::remove_all(dir);

  auto options = BuiltinSynth::DefaultOptions();
  options.audioDrivers = {"nonexistent-driver"};
  BuiltinSynth silent(options);
  EXPECT_EQ(silent.Open(), MMSYSERR_NODRIVER);
  EXPECT_NE(silent.ErrorDetail().find("No audio output"), std::string::npos);
}

}  // namespace
}  // namespace tastiva
