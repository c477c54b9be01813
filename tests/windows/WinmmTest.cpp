// The winmm backend against the real Windows MIDI service, run under Wine without MIDI
// hardware: every device is refused, and each refusal must reach the user in Windows' words.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "midi/MIDI_CMD.h"
#include "midi/MIDI_OUT.h"
#include "midi/MidiResults.h"
#include "midi/winmm/WinmmPlatform.h"
#include "tests/support/Recorders.h"

namespace tastiva {
namespace {

using Prompts = std::vector<std::string>;

std::string WindowsText(MidiPlatform& platform, MidiResult code) {
  char text[256] = {};  // room for the longest text Windows writes (its MAXERRORLENGTH)
  EXPECT_EQ(platform.midiOutGetErrorTextA(code, text, sizeof text), MMSYSERR_NOERROR) << code;
  return text;
}

class Winmm : public ::testing::Test {
 protected:
  void SetUp() override {
    if (platform.midiOutGetNumDevs() != 0) GTEST_SKIP() << "needs a system without MIDI outputs";
  }

  Prompts PromptsShown() const {
    Prompts prompts;
    for (const auto& b : box.boxes) prompts.push_back(b.prompt);
    return prompts;
  }

  WinmmPlatform platform;
  test::RecordingMessageBox box;
  test::RecordingList list;
  MIDI_OUT out{platform, box};
  MIDI_CMD cmd{out};
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

TEST_F(Winmm, EveryRefusalShowsOneBoxWithWindowsText) {
  out.FillDeviceList(list);
  EXPECT_TRUE(list.entries.empty());
  EXPECT_TRUE(box.boxes.empty());

  // Windows describes its codes itself; the program's own texts are for the other backends.
  EXPECT_NE(WindowsText(platform, MMSYSERR_INVALHANDLE), MidiResultText(MMSYSERR_INVALHANDLE));
  const std::string badSetup = "Error\n\n" + WindowsText(platform, MIDIERR_INVALIDSETUP);
  const std::string badDevice = "Error\n\n" + WindowsText(platform, MMSYSERR_BADDEVICEID);
  const std::string badHandle = "Error\n\n" + WindowsText(platform, MMSYSERR_INVALHANDLE);
  EXPECT_NE(badDevice, badHandle);

  EXPECT_FALSE(out.OpenMidiOut(-1));
  EXPECT_EQ(PromptsShown(), Prompts{badSetup});

  EXPECT_FALSE(out.OpenMidiOut(0));
  EXPECT_EQ(out.hMidiOut(), 0u);
  EXPECT_EQ(PromptsShown(), (Prompts{badSetup, badDevice}));
  EXPECT_EQ(box.boxes.back().title, "Tastiva");
  EXPECT_EQ(box.boxes.back().style, 0);

  // With nothing open each message is refused on its own; the program change is two.
  box.boxes.clear();
  cmd.NoteOn(0, 60, 127);
  EXPECT_EQ(PromptsShown(), Prompts{badHandle});
  cmd.ProgramChange(0, 0, 5);
  EXPECT_EQ(PromptsShown(), (Prompts{badHandle, badHandle, badHandle}));

  // Nothing open, so nothing to close and nothing to report.
  box.boxes.clear();
  out.CloseMidiOut();
  EXPECT_TRUE(box.boxes.empty());
}

}  // namespace
}  // namespace tastiva
