// The winmm backend against the real Windows MIDI service, run under Wine without MIDI
// hardware: every device is refused, and each refusal must reach the user in Windows' words.
#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace tastiva
