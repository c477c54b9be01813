#include "midi/synth/BuiltinSynth.h"
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
  EXPECT_EQ(synth.Send(0x000000B0).code, MMSYSERR_NOERROR);
  EXPECT_EQ(synth.Send(0xC0 | program << 8).code, MMSYSERR_NOERROR);
  EXPECT_EQ(synth.Send(0x007F0090 | key << 8).code, MMSYSERR_NOERROR);
  return synth.RenderOffline(kRate);
}

TEST(BuiltinSynthSound, PlaysTheNotesAndInstrumentsAskedForUntilReleased) {
  auto synth = OfflineSynth();
  const DeviceResult opened = synth->Open();
  ASSERT_EQ(opened.code, MMSYSERR_NOERROR) << opened.detail;
  for (const auto& [key, hertz] : {std::pair{60u, 261.63}, {53u, 174.61}}) {
    const auto sound = Left(Play(*synth, 0, key), 0.3, 0.4);
    EXPECT_NEAR(test::Fundamental(sound, kRate), hertz, hertz * 0.01) << "key " << key;
    ASSERT_EQ(synth->Send(kReset).code, MMSYSERR_NOERROR);
  }

  // A piano fades while it is held, a violin does not.
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

TEST(BuiltinSynthLifecycle, ReopenKeepsTheSoundFontAndStartsSilent) {
  auto synth = OfflineSynth();
  EXPECT_EQ(synth->Send(0x007F3C90).code, MMSYSERR_INVALHANDLE);

  ASSERT_EQ(synth->Open().code, MMSYSERR_NOERROR);
  EXPECT_EQ(synth->Open().code, MMSYSERR_ALLOCATED);
  EXPECT_GT(Rms(Left(Play(*synth, 0, 60), 0.5, 1.0)), 1e-3);
  ASSERT_EQ(synth->Close().code, MMSYSERR_NOERROR);  // with the note still held

  ASSERT_EQ(synth->Open().code, MMSYSERR_NOERROR);
  EXPECT_LT(Rms(Left(synth->RenderOffline(kRate / 5), 0.0, 0.2)), 1e-4);
  EXPECT_GT(Rms(Left(Play(*synth, 0, 60), 0.5, 1.0)), 1e-3);
}

TEST(BuiltinSynthLifecycle, RefusalsSayWhatToDo) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("tastiva-synth-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  BuiltinSynth missing({{(dir / "a.sf2").string(), dir.string()}, {}, kRate});
  const DeviceResult none = missing.Open();
  EXPECT_EQ(none.code, MIDIERR_INVALIDSETUP);
  EXPECT_NE(none.detail.find("SoundFont"), std::string::npos);

  // The first broken file is named, its long path cut to fit the 127-character message
  // between characters.
  std::string name;
  for (int i = 0; i < 75; ++i) name += "\u00e9";
  const auto path = dir / (name + "-Broken.sf2");
  std::ofstream(path) << "RIFF not really a SoundFont";
  BuiltinSynth broken({{(dir / "absent.sf2").string(), path.string()}, {}, kRate});
  const DeviceResult unreadable = broken.Open();
  EXPECT_EQ(unreadable.code, MIDIERR_INVALIDSETUP);
  EXPECT_NE(unreadable.detail.find("Broken.sf2 could not be read"), std::string::npos);
  EXPECT_LE(unreadable.detail.size(), 127u) << unreadable.detail;
  const std::size_t cut = unreadable.detail.find("...") + 3;
  EXPECT_EQ(unreadable.detail.substr(cut, 2), "\u00e9");
  std::filesystem::remove_all(dir);

  auto options = BuiltinSynth::DefaultOptions();
  options.audioDrivers = {"nonexistent-driver"};
  BuiltinSynth silent(options);
  const DeviceResult noAudio = silent.Open();
  EXPECT_EQ(noAudio.code, MMSYSERR_NODRIVER);
  EXPECT_NE(noAudio.detail.find("No audio output"), std::string::npos);
}

}  // namespace
}  // namespace tastiva
