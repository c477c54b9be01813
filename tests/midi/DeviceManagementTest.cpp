// Device list, open/close state and the MIDI error box.
#include <gtest/gtest.h>

#include "midi/MIDI_CMD.h"
#include "midi/MIDI_OUT.h"
#include "midi/recording/RecordingPlatform.h"
#include "tests/support/Recorders.h"

namespace tastiva {
namespace {

using Strings = std::vector<std::string>;
using Data = std::vector<std::int32_t>;

class DeviceManagement : public ::testing::Test {
 protected:
  RecordingPlatform platform;
  test::RecordingMessageBox box;
  test::RecordingList list;
  MIDI_OUT out{platform, box};
};

TEST_F(DeviceManagement, ListsMapperFirstThenDevicesThatAnswer) {
  platform.mapper = "Microsoft MIDI Mapper";
  platform.devices = {"Synth A", "Port B", "Port C"};
  out.FillDeviceList(list);
  EXPECT_EQ(list.Texts(), (Strings{"Microsoft MIDI Mapper", "Synth A", "Port B", "Port C"}));
  EXPECT_EQ(list.Data(), (Data{-1, 0, 1, 2}));

  // A device refusing its capabilities is left out silently; identifiers stay true.
  platform.refuseCaps[1] = 2;
  out.FillDeviceList(list);
  EXPECT_EQ(list.Texts(), (Strings{"Microsoft MIDI Mapper", "Synth A", "Port C"}));
  EXPECT_EQ(list.Data(), (Data{-1, 0, 2}));

  // Mapper refused: entry 0 is device 0.
  platform.refuseCaps = {{MIDI_MAPPER, 2}};
  platform.devices = {"Synth A", "Port B"};
  out.FillDeviceList(list);
  EXPECT_EQ(list.Texts(), (Strings{"Synth A", "Port B"}));
  EXPECT_EQ(list.Data(), (Data{0, 1}));
  EXPECT_TRUE(box.boxes.empty());
}

TEST_F(DeviceManagement, ZeroDevicesListsTheMapperAloneOrNothing) {
  platform.mapper = "Mapper";
  out.FillDeviceList(list);
  EXPECT_EQ(list.Texts(), Strings{"Mapper"});

  platform.mapper.reset();
  out.FillDeviceList(list);
  EXPECT_TRUE(list.entries.empty());
  EXPECT_TRUE(box.boxes.empty());
  EXPECT_EQ(platform.Log(), Strings{});
}

TEST_F(DeviceManagement, NamesAreShownUpToTheirNul) {
  const std::string longest(31, 'N');
  platform.devices = {longest, std::string("Short\0garbage after", 19)};
  out.FillDeviceList(list);
  EXPECT_EQ(list.Texts(), (Strings{longest, "Short"}));
}

TEST_F(DeviceManagement, CountIsTakenAsItsLow16Bits) {
  platform.devices = {"A", "B"};
  platform.reportedCount = 0x10002;  // low 16 bits: 2
  out.FillDeviceList(list);
  EXPECT_EQ(list.Data(), (Data{0, 1}));
  platform.reportedCount = 0x8000;  // -32768 as 16 bits: no device, and -32769 overflows
  EXPECT_THROW(out.FillDeviceList(list), RuntimeError);
}

TEST_F(DeviceManagement, OpenClosesFirstAndReportsWhetherADeviceIsOpen) {
  platform.mapper = "Mapper";
  platform.devices = {"Synth", "Port"};

  EXPECT_TRUE(out.OpenMidiOut(-1));
  EXPECT_NE(out.hMidiOut(), 0u);
  EXPECT_TRUE(out.OpenMidiOut(1));
  platform.refuseOpen[0] = 4;
  EXPECT_FALSE(out.OpenMidiOut(0));
  EXPECT_EQ(out.hMidiOut(), 0u);
  EXPECT_EQ(platform.Log(),
            (Strings{"open mapper", "close mapper", "open 1", "close 1", "open 0 -> 4"}));
  ASSERT_EQ(box.boxes.size(), 1u);

  // Closing twice: the second close does nothing and shows nothing.
  out.CloseMidiOut();
  out.CloseMidiOut();
  EXPECT_EQ(platform.Log().size(), 5u);
  EXPECT_EQ(box.boxes.size(), 1u);
}

TEST_F(DeviceManagement, RefusedCloseIsShownAndTheHandleForgotten) {
  platform.devices = {"Synth", "Port"};
  out.OpenMidiOut(0);
  platform.refuseClose = 7;
  EXPECT_TRUE(out.OpenMidiOut(1));
  EXPECT_EQ(box.boxes.size(), 1u);
  platform.refuseClose = 0;
  out.CloseMidiOut();
  EXPECT_EQ(out.hMidiOut(), 0u);
  EXPECT_EQ(platform.Log(), (Strings{"open 0", "close 0 -> 7", "open 1", "close 1"}));
}

TEST_F(DeviceManagement, ErrorBoxIsModalOkOnlyCaptionedWithTheTitle) {
  // The handle is still the old one while the box of a refused close is open.
  platform.devices = {"Synth"};
  out.OpenMidiOut(0);
  platform.refuseClose = 7;
  MidiHandle whileShown = 0;
  box.onShow = [&] { whileShown = out.hMidiOut(); };
  out.CloseMidiOut();
  EXPECT_NE(whileShown, 0u);
  ASSERT_EQ(box.boxes.size(), 1u);
  EXPECT_EQ(box.boxes[0].prompt, "Error\n\ntext of 7");
  EXPECT_EQ(box.boxes[0].style, 0);
  EXPECT_EQ(box.boxes[0].title, "Tastiva");
}

TEST_F(DeviceManagement, ErrorTextBufferIsCutAtItsFirstNul) {
  class NoNulText final : public MidiPlatform {
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

TEST_F(DeviceManagement, SwitchingDevicesMidNoteSendsTheNoteOffToTheNewDevice) {
  platform.devices = {"Synth", "Port"};
  MIDI_CMD cmd{out};
  out.OpenMidiOut(0);
  cmd.NoteOn(0, 60, 127);
  out.OpenMidiOut(1);
  cmd.NoteOff(0, 60);
  EXPECT_EQ(platform.Log(),
            (Strings{"open 0", "send 0: 90 3C 7F", "close 0", "open 1", "send 1: 90 3C 00"}));
}

}  // namespace
}  // namespace tastiva
