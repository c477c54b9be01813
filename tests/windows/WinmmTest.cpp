// The winmm backend against the real Windows MIDI service, run under Wine without MIDI
// hardware: every device is refused, and each refusal must reach the user in Windows' words.
// Then against the recording driver (tools/recording_driver.c, installed by with_recorder.sh):
// what reaches each device, byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "midi/MidiResults.h"
#include "midi/winmm/WinmmPlatform.h"

namespace tastiva {
namespace {

class Winmm : public ::testing::Test {
 protected:
  void SetUp() override {
    if (platform.midiOutGetNumDevs() != 0) GTEST_SKIP() << "needs a system without MIDI outputs";
  }
  WinmmPlatform platform;
};

TEST_F(Winmm, RawCallsGiveWindowsCodesAndKeepRefusedHandles) {
  MidiOutCaps caps;
  EXPECT_EQ(platform.midiOutGetDevCapsA(MIDI_MAPPER, &caps, sizeof caps), MMSYSERR_BADDEVICEID);

  // A refused open must not overwrite the caller's handle.
  const MidiHandle untouched = 0x5A5A;
  MidiHandle handle = untouched;
  EXPECT_EQ(platform.midiOutOpen(&handle, MIDI_MAPPER, 0, 0, 0), MIDIERR_INVALIDSETUP);
  EXPECT_EQ(handle, untouched);
  EXPECT_EQ(platform.midiOutOpen(&handle, 0, 0, 0, 0), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(handle, untouched);

  EXPECT_EQ(platform.midiOutShortMsg(0, 0x7F3C90), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(platform.midiOutClose(0), MMSYSERR_INVALHANDLE);
}

// Each refusal reaching the user in one box with Windows' own text is checked with the program
// itself under Wine in e2e_test.sh.
TEST_F(Winmm, WindowsDescribesItsCodesItself) {
  char text[256] = {};  // room for the longest text Windows writes (its MAXERRORLENGTH)
  EXPECT_EQ(platform.midiOutGetErrorTextA(MMSYSERR_INVALHANDLE, text, sizeof text),
            MMSYSERR_NOERROR);
  EXPECT_STRNE(text, MidiResultText(MMSYSERR_INVALHANDLE).c_str());
}

// The driver answers as three numbered devices and the mapper, writes every call it gets to a
// file of this test's own, and refuses the opens TASTIVA_RECORDER_REFUSE names.
class WinmmRecorder : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {  // before winmm loads its drivers
    _putenv_s("TASTIVA_RECORDER_LOG", Log().string().c_str());
    _putenv_s("TASTIVA_RECORDER_DEVICES", "3");
  }
  void SetUp() override {
    std::ofstream{Log()};  // emptied
    _putenv_s("TASTIVA_RECORDER_REFUSE", "");
    ASSERT_EQ(platform.midiOutGetNumDevs(), 3u) << "needs the recording driver (with_recorder.sh)";
  }
  static std::filesystem::path Log() {
    return std::filesystem::temp_directory_path() / "winmm-recorder.log";
  }
  // The opens, sends and closes the devices saw, in order.
  static std::vector<std::string> Traffic() {
    std::vector<std::string> lines;
    std::ifstream log{Log()};
    for (std::string line; std::getline(log, line);) {
      if (line.find(" get") == std::string::npos && line.find(" driver") == std::string::npos) {
        lines.push_back(line);
      }
    }
    return lines;
  }
  WinmmPlatform platform;
};

TEST_F(WinmmRecorder, DevicesAndTheMapperAnswerByTheirIdsAndEachGetsExactlyItsOwnBytes) {
  const std::vector<std::pair<std::uint32_t, std::string>> devices{
      {MIDI_MAPPER, "Recorder Mapper"}, {0, "Recorder 0"}, {1, "Recorder 1"}, {2, "Recorder 2"}};
  std::vector<MidiHandle> handles;
  for (const auto& [id, name] : devices) {
    MidiOutCaps caps;
    ASSERT_EQ(platform.midiOutGetDevCapsA(id, &caps, sizeof caps), MMSYSERR_NOERROR) << name;
    EXPECT_STREQ(caps.szPname, name.c_str());
    MidiHandle handle = 0;
    ASSERT_EQ(platform.midiOutOpen(&handle, id, 0, 0, 0), MMSYSERR_NOERROR) << name;
    EXPECT_NE(handle, 0u);
    handles.push_back(handle);
  }
  MidiOutCaps caps;
  EXPECT_EQ(platform.midiOutGetDevCapsA(3, &caps, sizeof caps), MMSYSERR_BADDEVICEID);

  // All open at once, each on its own channel; a program change is two bytes long.
  for (std::uint32_t i = 0; i < handles.size(); ++i) {
    EXPECT_EQ(platform.midiOutShortMsg(handles[i], 0x007F3C90 + i), MMSYSERR_NOERROR);
  }
  EXPECT_EQ(platform.midiOutShortMsg(handles[2], 0x000028C1), MMSYSERR_NOERROR);
  for (MidiHandle handle : handles) EXPECT_EQ(platform.midiOutClose(handle), MMSYSERR_NOERROR);
  EXPECT_EQ(platform.midiOutShortMsg(handles[0], 0x007F3C90), MMSYSERR_INVALHANDLE);

  EXPECT_EQ(Traffic(), (std::vector<std::string>{"mapper open", "0 open", "1 open", "2 open",  //
                                                 "mapper data 90 3c 7f", "0 data 91 3c 7f",
                                                 "1 data 92 3c 7f",                  //
                                                 "2 data 93 3c 7f", "1 data c1 28",  //
                                                 "mapper close", "0 close", "1 close", "2 close"}));
}

}  // namespace
}  // namespace tastiva
