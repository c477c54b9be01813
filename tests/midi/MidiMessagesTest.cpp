// Message words, byte-exact, as the platform receives them.
#include <gtest/gtest.h>

#include "base/Checked.h"
#include "midi/MIDI_CMD.h"
#include "midi/MIDI_OUT.h"
#include "midi/recording/RecordingPlatform.h"
#include "tests/support/Recorders.h"

namespace tastiva {
namespace {

TEST(PackShortMessage, PacksStatusAndDataBytesWithoutMasking) {
  const struct {
    std::int16_t status, data1, data2;
    std::int32_t word;
  } cases[] = {
      {0x90, 60, 127, 0x007F3C90},
      {0x90, 127, 127, 0x007F7F90},
      {0x90, 60, 200, 0x00C83C90},  // data2 above 127 lands whole in bits 16 and up
      {0x90, 0, 300, 0x012C0090},
      {0x90, -1, 0, 0x90 - 256},  // a negative part borrows from the bytes above it
      {0x90, -128, 1, 65536 - 32768 + 0x90},
      {32767, 127, 32767, 32767 * 65536 + 127 * 256 + 32767},
      {0, 0, -32768, std::numeric_limits<std::int32_t>::min()},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MIDI_OUT::PackShortMessage(c.status, c.data1, c.data2), c.word)
        << c.status << " " << c.data1 << " " << c.data2;
  }
}

TEST(PackShortMessage, OverflowIsARuntimeErrorThatNamesTheStep) {
  try {
    MIDI_OUT::PackShortMessage(0x90, 128, 0);
    FAIL() << "no overflow";
  } catch (const OverflowError& e) {
    EXPECT_STREQ(e.what(), "Overflow in PackShortMessage: data1 * 256");
  }
  EXPECT_THROW(MIDI_OUT::PackShortMessage(0x90, -129, 0), OverflowError);
  EXPECT_NO_THROW(MIDI_OUT::PackShortMessage(0x90, -128, 0));
  // The 32-bit steps overflow only at the negative end.
  EXPECT_THROW(MIDI_OUT::PackShortMessage(0, -128, -32768), OverflowError);
  EXPECT_THROW(MIDI_OUT::PackShortMessage(-1, 0, -32768), OverflowError);
}

class ChannelMessages : public ::testing::Test {
 protected:
  void SetUp() override {
    platform.devices = {"Synth"};
    ASSERT_TRUE(out.OpenMidiOut(0));
    platform.ClearLog();
  }
  RecordingPlatform platform;
  test::RecordingMessageBox box;
  MIDI_OUT out{platform, box};
  MIDI_CMD cmd{out};
};

TEST_F(ChannelMessages, NotesAndProgramChangesAreExactWordsStatusPlusChannelChecked) {
  cmd.NoteOn(0, 60, 127);
  cmd.NoteOff(0, 60);
  cmd.NoteOn(0, 53, 127);
  cmd.ProgramChange(0, 0, 0);
  cmd.ProgramChange(0, 0, 127);
  cmd.NoteOff(15, 60);
  cmd.ControlChange(3, 7, 100);
  EXPECT_EQ(platform.Words(),
            (std::vector<std::uint32_t>{0x007F3C90, 0x00003C90, 0x007F3590, 0xB0, 0xC0, 0xB0, 32704,
                                        0x00003C9F, 0x006407B3}));
  EXPECT_TRUE(box.boxes.empty());
  // Status plus channel is overflow checked.
  EXPECT_THROW(cmd.NoteOn(32767 - 0x90 + 1, 60, 127), OverflowError);
  EXPECT_NO_THROW(cmd.ControlChange(-0xB0, 0, 0));
  EXPECT_EQ(platform.Words().back(), 0u);
}

TEST_F(ChannelMessages, EveryRefusedSendShowsItsOwnBoxAndTheProgramChangeGoesOn) {
  platform.refuseSend = 11;
  cmd.ProgramChange(0, 0, 40);
  EXPECT_EQ(box.boxes.size(), 2u);
  // With no device open: one box for a note, two for a program change.
  out.CloseMidiOut();
  cmd.NoteOn(0, 53, 127);
  EXPECT_EQ(box.boxes.size(), 3u);
  cmd.ProgramChange(0, 0, 0);
  EXPECT_EQ(box.boxes.size(), 5u);
  EXPECT_TRUE(platform.Words().empty());
  EXPECT_EQ(platform.Log(),
            (std::vector<std::string>{"send 0: B0 00 00 -> 11", "send 0: C0 28 00 -> 11", "close 0",
                                      "send none: 90 35 7F -> 5", "send none: B0 00 00 -> 5",
                                      "send none: C0 00 00 -> 5"}));
}

}  // namespace
}  // namespace tastiva
