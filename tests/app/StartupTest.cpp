// Start-up and shutdown, with the MIDI traffic and boxes they cause.
#include "tests/app/AppFixture.h"

namespace tastiva::test {
namespace {

using Startup = AppTest;

TEST_F(Startup, OpensDeviceZeroThenTheFirstListedDeviceAndSendsInstrumentZeroToEach) {
  form.Form_Load();
  EXPECT_EQ(Log(), (Strings{"open 0", "send 0: B0 00 00", "send 0: C0 00 00", "close 0", "open 0",
                            "send 0: B0 00 00", "send 0: C0 00 00"}));
  EXPECT_EQ(window.List1().ListIndex(), 0);
  EXPECT_EQ(window.List1().ListCount(), 2);
  ListBox& sounds = window.lst_sound_list();
  EXPECT_EQ(sounds.ListIndex(), 0);
  ASSERT_EQ(sounds.ListCount(), 128);
  EXPECT_EQ(sounds.item(0)->text(), "Acoustic Grand Piano");
  EXPECT_EQ(sounds.item(127)->text(), "Gun Shot");
  EXPECT_TRUE(box.boxes.empty());
  EXPECT_EQ(desktop.calls, Strings{"PrevInstance"});
}

TEST_F(Startup, WithAMapperListedTheMapperIsOpenedLast) {
  platform.mapper = "MIDI Mapper";
  form.Form_Load();
  EXPECT_EQ(Log(), (Strings{"open 0", "send 0: B0 00 00", "send 0: C0 00 00", "close 0",
                            "open mapper", "send mapper: B0 00 00", "send mapper: C0 00 00"}));
  EXPECT_EQ(window.List1().ItemData(0), -1);
  EXPECT_EQ(window.List1().item(0)->text(), "MIDI Mapper");
}

class Notice : public AppTest, public ::testing::WithParamInterface<int> {};

TEST_P(Notice, ComesFirstOnDaysDivisibleByFive) {
  desktop.day = GetParam();
  std::size_t sentBeforeNotice = 99;
  bool mainShownBeforeNotice = true;
  desktop.onNotice = [&] {
    sentBeforeNotice = Log().size();
    mainShownBeforeNotice = window.isVisible();
  };
  form.Form_Load();
  const bool shown = std::count(desktop.calls.begin(), desktop.calls.end(), "ShowNotice") == 1;
  EXPECT_EQ(shown, GetParam() % 5 == 0);
  if (shown) {
    EXPECT_EQ(sentBeforeNotice, 0u) << "start-up waits for the notice";
    EXPECT_FALSE(mainShownBeforeNotice);
  }
  EXPECT_EQ(Log().size(), 7u);
}

INSTANTIATE_TEST_SUITE_P(Days, Notice, ::testing::Values(4, 5, 10, 15, 31));

TEST_F(Startup, ASecondCopyEndsAtOnceAndTouchesNothing) {
  desktop.running = true;
  form.Form_Load();
  EXPECT_EQ(desktop.calls, (Strings{"PrevInstance", "End"}));
  EXPECT_TRUE(Log().empty());
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.List1().ListCount(), 0);
}

TEST_F(Startup, ARefusedOpenDuringASwitchShowsThreeBoxesThenOnePerNote) {
  Start();
  platform.refuseOpen[1] = 68;
  window.List1().SetListIndex(1);
  EXPECT_EQ(box.boxes.size(), 3u);
  EXPECT_EQ(midiOut.hMidiOut(), 0u);
  Click(Centre(0));
  EXPECT_EQ(box.boxes.size(), 5u);
  EXPECT_EQ(box.boxes[0].prompt, "Error\n\ntext of 68");
}

TEST_F(Startup, AnEmptyDeviceListOpensTheWindowWithNoDevice) {
  platform.devices.clear();
  form.Form_Load();
  EXPECT_EQ(window.List1().ListCount(), 0);
  EXPECT_EQ(window.List1().ListIndex(), -1);
  EXPECT_EQ(midiOut.hMidiOut(), 0u);
  // The refused open of device 0 and the two messages of the program change.
  EXPECT_EQ(box.boxes.size(), 3u);
  EXPECT_EQ(Log(),
            (Strings{"open 0 -> 2", "send none: B0 00 00 -> 5", "send none: C0 00 00 -> 5"}));
}

TEST_F(Startup, ClosingTheWindowClosesTheDeviceWithoutNoteOffsAndEnds) {
  Start();
  Play("L+7 +Q");
  platform.ClearLog();
  window.close();
  EXPECT_EQ(Log(), Strings{"close 0"});
  EXPECT_EQ(desktop.calls.back(), "End");
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace tastiva::test
