#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "midi/MidiResults.h"
#include "midi/synth/BuiltinSynth.h"
#include "tests/synth/SynthTestSupport.h"

namespace tastiva {
namespace {

namespace fs = std::filesystem;
using test::kRate;

// Opens an offline synthesizer that searches places; what the user is told, and stderr.
std::pair<DeviceResult, std::string> OpenWith(std::vector<std::string> places) {
  BuiltinSynth synth({std::move(places), {}, kRate});
  testing::internal::CaptureStderr();  // descriptor 2: FluidSynth and GLib print there
  DeviceResult result = synth.Open();
  if (result.code == MMSYSERR_NOERROR) {  // and it plays
    synth.Send(0x000028C0);
    synth.Send(0x007F3C90);
    if (test::Rms(test::Left(synth.RenderOffline(kRate / 2), 0.1, 0.5)) < 1e-3) {
      result = {MMSYSERR_ERROR, "silent"};
    }
  }
  return {result, testing::internal::GetCapturedStderr()};
}

class SoundFontSituations : public ::testing::Test {
 protected:
  void SetUp() override {
    font_ = test::TestSoundFont();
    if (font_.empty()) GTEST_SKIP() << "no SoundFont installed";
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string At(const std::string& name) const { return (dir_ / name).string(); }

  std::string font_;
  const fs::path dir_ = fs::temp_directory_path() / ("tastiva-sf-" + std::to_string(getpid()));
};

TEST_F(SoundFontSituations, TheUserIsToldWhatIsWrongTheFirstThatLoadsIsUsedNothingIsPrinted) {
  // A whole RIFF header over garbage: FluidSynth's own parsers (and GLib) refuse it.
  const std::string garbage = std::string("RIFF\x68\0\0\0sfbk", 12) + std::string(100, '\x5a');
  std::ofstream(At("Broken.sf2"), std::ios::binary) << garbage;
  // Cut short, as by an interrupted download; then also with its header made to match.
  const std::uintmax_t half = fs::file_size(font_) / 2;
  for (const char* name : {"Half.sf2", "Fixed.sf2"}) {
    fs::copy_file(font_, At(name));
    fs::resize_file(At(name), half);
  }
  const auto size = static_cast<std::uint32_t>(half - 8);
  const char le[] = {char(size), char(size >> 8), char(size >> 16), char(size >> 24)};
  std::fstream(At("Fixed.sf2"), std::ios::in | std::ios::out | std::ios::binary)
      .seekp(4)
      .write(le, 4);
  // A default-GM link left behind when its SoundFont's package went: the file is named.
  fs::create_symlink(At("Gone.sf2"), At("default-GM.sf2"));

  const std::string advice = " Reinstall it or install another.";
  std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{At("none.sf2"), dir_.string()},
       "No General MIDI SoundFont found. Install one, e.g. the Debian package "
       "timgm6mb-soundfont."},
      {{At("Broken.sf2")}, "The SoundFont " + At("Broken.sf2") + " could not be read." + advice},
      {{At("Half.sf2")}, "The SoundFont " + At("Half.sf2") + " is incomplete." + advice},
      // The first problem is named (TextsTest: long paths are shortened in their middle).
      {{At("Broken.sf2"), At("Half.sf2")},
       "The SoundFont " + At("Broken.sf2") + " could not be read." + advice},
      {{At("Fixed.sf2")}, "The SoundFont " + At("Fixed.sf2") + " could not be read." + advice},
      {{At("default-GM.sf2"), At("none.sf3")},
       "The SoundFont " + At("Gone.sf2") + " is missing." + advice},
      {{At("default-GM.sf2"), At("Half.sf2"), font_}, ""},
  };
  // MuseScore General ships as .sf3 only (Ogg Vorbis samples).
  const std::string sf3 = "/usr/share/sounds/sf3/MuseScore_General_Lite.sf3";
  ASSERT_TRUE(fs::exists(sf3)) << "scripts/install-deps.sh installs it";
  fs::create_symlink(sf3, At("default-GM.sf3"));
  cases.push_back({{At("default-GM.sf2"), At("default-GM.sf3")}, ""});
  // Offered both, it plays the .sf2, whose instruments load at once, whatever their order.
  for (const auto& places : {std::vector<std::string>{At("default-GM.sf3"), font_},
                             std::vector<std::string>{At("default-GM.sf3")}}) {
    BuiltinSynth synth({places, {}, kRate});
    ASSERT_EQ(synth.Open().code, MMSYSERR_NOERROR);
    EXPECT_EQ(synth.SoundFontFile(), places.size() == 2 ? font_ : sf3);
  }
  for (const auto& [places, words] : cases) {
    SCOPED_TRACE(places.front());
    const auto [result, printed] = OpenWith(places);
    EXPECT_EQ(result.code, words.empty() ? MMSYSERR_NOERROR : MIDIERR_INVALIDSETUP);
    EXPECT_EQ(result.detail, words);
    EXPECT_EQ(printed, "");
  }
}

}  // namespace
}  // namespace tastiva
