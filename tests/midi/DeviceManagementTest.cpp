// Device list, open/close state and the MIDI error box.
#include <gtest/gtest.h>

#include "midi/MIDI_CMD.h"
#include "midi/MIDI_OUT.h"
#include "midi/recording/RecordingPlatform.h"
#include "tests/support/Recorders.h"

namespace tastiva {
namespace {

using Strings = std::vector<std::string>;
using Entries = std::vector<test::RecordingList::Entry>;

class DeviceManagement : public ::testing::Test {
 protected:
  RecordingPlatform platform;
  test::RecordingMessageBox box;
  test::RecordingList list;
  MIDI_OUT out{platform, box};
};

TEST_F(DeviceManagement, ListsTheMapperFirstThenTheDevicesThatAnswerByTheirIdentifiers) {
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

TEST_F(DeviceManagement, OpenClosesFirstCarriesANoteOverAndReportsWhetherADeviceIsOpen) {
  platform.mapper = "Mapper";
  platform.devices = {"Synth", "Port"};
  MIDI_CMD cmd{out};

  EXPECT_TRUE(out.OpenMidiOut(-1));
  EXPECT_NE(out.hMidiOut(), 0u);
  cmd.NoteOn(0, 60, 127);
  EXPECT_TRUE(out.OpenMidiOut(1));
  cmd.NoteOff(0, 60);  // the note-off of a switch mid-note goes to the new device
  platform.refuseOpen[0] = 4;
  EXPECT_FALSE(out.OpenMidiOut(0));
  EXPECT_EQ(out.hMidiOut(), 0u);
  EXPECT_EQ(platform.Log(), (Strings{"open mapper", "send mapper: 90 3C 7F", "close mapper",
                                     "open 1", "send 1: 90 3C 00", "close 1", "open 0 -> 4"}));
  ASSERT_EQ(box.boxes.size(), 1u);

  // Closing twice: the second close does nothing and shows nothing.
  out.CloseMidiOut();
  out.CloseMidiOut();
  EXPECT_EQ(platform.Log().size(), 7u);
  EXPECT_EQ(box.boxes.size(), 1u);
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
