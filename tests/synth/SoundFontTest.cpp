#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "midi/MidiResults.h"
#include "midi/synth/BuiltinSynth.h"
#include "tests/synth/SynthTestSupport.h"

namespace tastiva {
namespace {

namespace fs = std::filesystem;
using test::kRate;

// What the process writes to stderr while it lives.
class StderrCapture {
 public:
  StderrCapture() : file_(std::tmpfile()), saved_(dup(2)) {
    std::fflush(stderr);
    dup2(fileno(file_), 2);
  }
  std::string Text() {
    std::fflush(stderr);
    dup2(saved_, 2);
    close(saved_);
    std::string text(static_cast<std::size_t>(std::ftell(file_)), '\0');
    std::rewind(file_);
    text.resize(std::fread(text.data(), 1, text.size(), file_));
    std::fclose(file_);
    return text;
  }

 private:
  std::FILE* file_;
  int saved_;
};

// Opens an offline synthesizer that searches places; what the user is told, and stderr.
std::pair<DeviceResult, std::string> OpenWith(std::vector<std::string> places) {
  BuiltinSynth synth({std::move(places), {}, kRate});
  StderrCapture stderrText;
  DeviceResult result = synth.Open();
  if (result.code == MMSYSERR_NOERROR) {  // and it plays
    synth.Send(0x000028C0);
    synth.Send(0x007F3C90);
    if (test::Rms(test::Left(synth.RenderOffline(kRate / 2), 0.1, 0.5)) < 1e-3) {
      result = {MMSYSERR_ERROR, "silent"};
    }
  }
  return {result, stderrText.Text()};
}

std::vector<char> Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void Write(const fs::path& file, const std::vector<char>& bytes) {
  std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
}

class SoundFontSituations : public ::testing::Test {
 protected:
  void SetUp() override {
    font_ = test::TestSoundFont();
    if (font_.empty()) GTEST_SKIP() << "no SoundFont installed";
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string font_;
  const fs::path dir_ = fs::temp_directory_path() / ("tastiva-sf-" + std::to_string(getpid()));
};

TEST_F(SoundFontSituations, TheUserIsToldWhatIsWrongAndNothingIsPrinted) {
  const std::string advice = " Reinstall it or install another.";
  const auto says = [&](std::vector<std::string> places, const std::string& words) {
    const auto [result, printed] = OpenWith(std::move(places));
    EXPECT_EQ(result.code, MIDIERR_INVALIDSETUP);
    EXPECT_EQ(result.detail, words);
    EXPECT_EQ(printed, "");
  };
  says({(dir_ / "none.sf2").string(), dir_.string()},
       "No General MIDI SoundFont found. Install one, e.g. the Debian package "
       "timgm6mb-soundfont.");

  // A whole RIFF header over garbage: FluidSynth's own parsers (and GLib) refuse it.
  std::vector<char> garbage = {'R', 'I', 'F', 'F', 104, 0, 0, 0, 's', 'f', 'b', 'k'};
  garbage.resize(112, '\x5a');
  Write(dir_ / "Broken.sf2", garbage);
  says({(dir_ / "Broken.sf2").string()},
       "The SoundFont " + (dir_ / "Broken.sf2").string() + " could not be read." + advice);

  // Cut short, as by an interrupted download; then also with its header made to match.
  std::vector<char> half = Bytes(font_);
  half.resize(half.size() / 2);
  Write(dir_ / "Half.sf2", half);
  says({(dir_ / "Half.sf2").string()},
       "The SoundFont " + (dir_ / "Half.sf2").string() + " is incomplete." + advice);
  const auto size = static_cast<std::uint32_t>(half.size() - 8);
  for (int i = 0; i < 4; ++i) half[4 + i] = static_cast<char>(size >> (8 * i));
  Write(dir_ / "Half.sf2", half);
  says({(dir_ / "Half.sf2").string()},
       "The SoundFont " + (dir_ / "Half.sf2").string() + " could not be read." + advice);

  // A default-GM link left behind when its SoundFont's package went: the file is named.
  fs::create_symlink(dir_ / "Gone.sf2", dir_ / "default-GM.sf2");
  says({(dir_ / "default-GM.sf2").string(), (dir_ / "none.sf3").string()},
       "The SoundFont " + (dir_ / "Gone.sf2").string() + " is missing." + advice);

  // The first problem is named; a long path keeps its end, cut between characters.
  std::string name;
  for (int i = 0; i < 75; ++i) name += "\u00e9";
  Write(dir_ / (name + "-Broken.sf2"), garbage);
  const auto [cut, printed] =
      OpenWith({(dir_ / (name + "-Broken.sf2")).string(), (dir_ / "Half.sf2").string()});
  EXPECT_LE(cut.detail.size(), 127u) << cut.detail;
  EXPECT_EQ(cut.detail.substr(cut.detail.find("...") + 3, 2), "\u00e9");
  EXPECT_NE(cut.detail.find("-Broken.sf2 could not be read."), std::string::npos);
}

TEST_F(SoundFontSituations, TheFirstThatLoadsIsUsedSf3Too) {
  fs::create_symlink(dir_ / "Gone.sf2", dir_ / "default-GM.sf2");
  fs::copy_file(font_, dir_ / "Half.sf2");
  fs::resize_file(dir_ / "Half.sf2", fs::file_size(font_) / 2);
  const auto [found, printed] =
      OpenWith({(dir_ / "default-GM.sf2").string(), (dir_ / "Half.sf2").string(), font_});
  EXPECT_EQ(found.code, MMSYSERR_NOERROR) << found.detail;
  EXPECT_EQ(printed, "");

  // MuseScore General ships as .sf3 only (Ogg Vorbis samples).
  const std::string sf3 = "/usr/share/sounds/sf3/MuseScore_General_Lite.sf3";
  if (!fs::exists(sf3)) GTEST_SKIP() << sf3 << " not installed";
  fs::create_symlink(sf3, dir_ / "default-GM.sf3");
  const auto [loaded, quiet] =
      OpenWith({(dir_ / "default-GM.sf2").string(), (dir_ / "default-GM.sf3").string()});
  EXPECT_EQ(loaded.code, MMSYSERR_NOERROR) << loaded.detail;
  EXPECT_EQ(quiet, "");
}

}  // namespace
}  // namespace tastiva
