// MIDI_OUT and MIDI_CMD over the recording platform: message words byte-exact as the platform
// receives them, the device list, open and close, and the error boxes.
#include <gtest/gtest.h>

#include "base/Checked.h"
#include "midi/MIDI_CMD.h"
#include "midi/MIDI_OUT.h"
#include "midi/ShortMessage.h"
#include "midi/recording/RecordingPlatform.h"
#include "tests/support/Recorders.h"

namespace tastiva {
namespace {

using Strings = std::vector<std::string>;
using Entries = std::vector<test::RecordingList::Entry>;

class MidiOut : public ::testing::Test {
 protected:
  RecordingPlatform platform;
  test::RecordingMessageBox box;
  MIDI_OUT out{platform, box};
  MIDI_CMD cmd{out};
};
using DeviceManagement = MidiOut;

// Status and data bytes packed without masking: data2 above 127 lands whole in bits 16 and
// up, a negative part borrows from the bytes above it (-0x70 is 0x90 - 0x100). A step that
// overflows is an error that names it; the 32-bit steps overflow only at the negative end.
TEST(PackShortMessage, PacksWithoutMaskingAndAnOverflowNamesItsStep) {
  const std::tuple<std::int16_t, std::int16_t, std::int16_t, std::int32_t> packed[] = {
      {0x90, 60, 127, 0x007F3C90}, {0x90, 127, 127, 0x007F7F90},
      {0x90, 60, 200, 0x00C83C90}, {0x90, 0, 300, 0x012C0090},
      {0x90, -1, 0, -0x70},        {0x90, -128, 0, -0x7F70},
      {0x90, -128, 1, 0x8090},     {32767, 127, 32767, 0x7FFFFEFF},
      {0, 0, -32768, INT32_MIN}};
  for (const auto& [status, data1, data2, word] : packed) {
    EXPECT_EQ(MIDI_OUT::PackShortMessage(status, data1, data2), word) << status << " " << data1;
  }
  const std::tuple<std::int16_t, std::int16_t, std::int16_t, std::string> overflows[] = {
      {0x90, 128, 0, "data1 * 256"},
      {0x90, -129, 0, "data1 * 256"},
      {0, -128, -32768, "high + middle"},
      {-1, 0, -32768, "+ status"}};
  for (const auto& [status, data1, data2, step] : overflows) {
    try {
      MIDI_OUT::PackShortMessage(status, data1, data2);
      ADD_FAILURE() << "no overflow at " << step;
    } catch (const OverflowError& e) {
      EXPECT_EQ(e.what(), "Overflow in PackShortMessage: " + step);
    }
  }
}

// What a device sends of a word: its bytes in sending order, as many as the status needs
// (program change, channel pressure, time code and song select one data byte; tune request,
// clock and reset none), none for a data byte first (running status). Bits 24 and up are not
// part of it.
TEST(UnpackShortMessage, GivesTheBytesInSendingOrderAsManyAsTheStatusNeeds) {
  const std::pair<std::uint32_t, std::size_t> cases[] = {
      {0x007F3C90, 3}, {0x00003C80, 3}, {0x00402AA0, 3}, {0x000007B0, 3}, {0x004000E0, 3},
      {0x00002AC0, 2}, {0x00002AD0, 2}, {0x000000F1, 2}, {0x00003CF2, 3}, {0x000005F3, 2},
      {0x000000F6, 1}, {0x000000F8, 1}, {0x000000FF, 1}, {0x00003C3C, 0}, {0xAB7F3C90, 3}};
  for (const auto& [word, size] : cases) {
    const ShortMessageBytes m = UnpackShortMessage(word);
    EXPECT_EQ(m.size, size) << std::hex << word;
    EXPECT_EQ(m.bytes, (std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(word),
                                                    static_cast<std::uint8_t>(word >> 8),
                                                    static_cast<std::uint8_t>(word >> 16)}));
  }
}

TEST_F(MidiOut, NotesAndProgramChangesAreExactWordsStatusPlusChannelChecked) {
  platform.devices = {"Synth"};
  ASSERT_TRUE(out.OpenMidiOut(0));
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

// Each refused send shows a box of its own, and a program change goes on after its refused
// bank select: WindowTest, PlayingTest; with no device open, under Wine: tests/windows/e2e_test.sh.

TEST_F(DeviceManagement, ListsTheMapperFirstThenTheDevicesThatAnswerByTheirIdentifiers) {
  test::RecordingList list;
  const std::string longest(31, 'N');
  const struct {
    std::optional<std::string> mapper;
    Strings devices;
    std::map<std::uint32_t, MidiResult> refuseCaps;
    std::optional<std::uint32_t> count;
    Entries listed;
  } cases[] = {
      {"M", {"A", "B", "C"}, {}, {}, {{"M", -1}, {"A", 0}, {"B", 1}, {"C", 2}}},
      // A device refusing its capabilities is left out silently; identifiers stay true.
      {"M", {"A", "B", "C"}, {{1, 2}}, {}, {{"M", -1}, {"A", 0}, {"C", 2}}},
      {"M", {"A"}, {{MIDI_MAPPER, 2}}, {}, {{"A", 0}}},
      {"M", {}, {}, {}, {{"M", -1}}},
      {{}, {}, {}, {}, {}},
      // Names are shown up to their NUL.
      {{}, {longest, std::string("Short\0junk", 10)}, {}, {}, {{longest, 0}, {"Short", 1}}},
      {{}, {"A", "B"}, {}, 0x10002, {{"A", 0}, {"B", 1}}},  // the count's low 16 bits
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.devices));
    platform.mapper = c.mapper;
    platform.devices = c.devices;
    platform.refuseCaps = c.refuseCaps;
    platform.reportedCount = c.count;
    out.FillDeviceList(list);
    EXPECT_EQ(list.entries, c.listed);
  }
  platform.reportedCount = 0x8000;  // -32768 as 16 bits: no device, and -32769 overflows
  EXPECT_THROW(out.FillDeviceList(list), RuntimeError);
  EXPECT_TRUE(box.boxes.empty());
  EXPECT_TRUE(platform.Log().empty());
}

TEST_F(DeviceManagement, OpenClosesFirstEndingTheNotesItStartedThereAndReportsIfOneIsOpen) {
  platform.mapper = "Mapper";
  platform.devices = {"Synth", "Port"};

  EXPECT_TRUE(out.OpenMidiOut(-1));
  // Of the notes sent, the ones the device took and did not end are ended before it closes:
  // not the one ended, nor the one refused.
  cmd.NoteOn(0, 60, 127);
  cmd.NoteOn(9, 40, 127);
  cmd.NoteOn(0, 64, 127);
  cmd.NoteOff(0, 64);
  platform.refuseSend = 67;
  cmd.NoteOn(0, 67, 127);
  platform.refuseSend = 0;
  EXPECT_TRUE(out.OpenMidiOut(1));
  cmd.NoteOff(0, 60);  // a key let go after a switch still sends its note-off, there
  platform.refuseOpen[0] = 4;
  EXPECT_FALSE(out.OpenMidiOut(0));
  EXPECT_EQ(
      platform.Log(),
      (Strings{"open mapper", "send mapper: 90 3C 7F", "send mapper: 99 28 7F",
               "send mapper: 90 40 7F", "send mapper: 90 40 00", "send mapper: 90 43 7F -> 67",
               "send mapper: 90 3C 00", "send mapper: 99 28 00", "close mapper", "open 1",
               "send 1: 90 3C 00", "close 1", "open 0 -> 4"}));
  ASSERT_EQ(box.boxes.size(), 2u);

  // Closing twice: the second close does nothing and shows nothing.
  out.CloseMidiOut();
  out.CloseMidiOut();
  EXPECT_EQ(platform.Log().size(), 13u);
  EXPECT_EQ(box.boxes.size(), 2u);
}

TEST_F(DeviceManagement, ARefusedCloseShowsAModalOkBoxThenTheHandleIsForgotten) {
  platform.devices = {"Synth", "Port"};
  out.OpenMidiOut(0);
  platform.refuseClose = 7;
  MidiHandle whileShown = 0;
  box.onShow = [&] { whileShown = out.hMidiOut(); };
  EXPECT_TRUE(out.OpenMidiOut(1));
  EXPECT_NE(whileShown, 0u) << "the old handle while the box is open";
  ASSERT_EQ(box.boxes.size(), 1u);
  EXPECT_EQ(box.boxes[0].prompt, "Error\n\ntext of 7");
  EXPECT_EQ(box.boxes[0].style, 0);
  EXPECT_EQ(box.boxes[0].title, "Tastiva");
  out.CloseMidiOut();  // refused again, and forgotten: never tried again
  EXPECT_EQ(out.hMidiOut(), 0u);
  out.CloseMidiOut();
  EXPECT_EQ(box.boxes.size(), 2u);
  EXPECT_EQ(platform.Log(), (Strings{"open 0", "close 0 -> 7", "open 1", "close 1 -> 7"}));
}

TEST_F(DeviceManagement, ErrorTextBufferIsCutAtItsFirstNul) {
  class NoErrorText final : public MidiPlatform {
   public:
    std::uint32_t midiOutGetNumDevs() override { return 0; }
    MidiResult midiOutGetDevCapsA(std::uint32_t, MidiOutCaps*, std::uint32_t) override { return 2; }
    MidiResult midiOutOpen(MidiHandle*, std::uint32_t, std::uintptr_t, std::uintptr_t,
                           std::uint32_t) override {
      return 2;
    }
    MidiResult midiOutClose(MidiHandle) override { return 5; }
    MidiResult midiOutShortMsg(MidiHandle, std::uint32_t) override { return 5; }
    // Writes nothing and fails: the box shows the spaces the buffer was filled with.
    MidiResult midiOutGetErrorTextA(MidiResult, char*, std::uint32_t) override { return 9; }
  } silent;
  MIDI_OUT quiet{silent, box};
  quiet.ShowMidiError(2);
  EXPECT_EQ(box.boxes.at(0).prompt, "Error\n\n" + std::string(128, ' '));
}

}  // namespace
}  // namespace tastiva
