// Start-up, the two lists, and shutdown, with the MIDI traffic they cause.
#include "tests/app/AppFixture.h"

namespace tastiva::test {
namespace {

using Startup = AppTest;

TEST_F(Startup, OpensDeviceZeroThenTheFirstListedDeviceAndSendsInstrumentZeroToEach) {
  form.Form_Load();
  EXPECT_EQ(Log(), (Strings{"open 0", "send 0: B0 00 00", "send 0: C0 00 00", "close 0", "open 0",
                            "send 0: B0 00 00", "send 0: C0 00 00"}));
  EXPECT_EQ(window.List1().ListIndex(), 0);
  EXPECT_EQ(window.lst_sound_list().ListIndex(), 0);
  EXPECT_EQ(window.List1().ListCount(), 2);
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

TEST_F(Startup, TheInstrumentListHoldsThe128NamesInProgramOrder) {
  form.Form_Load();
  ListBox& list = window.lst_sound_list();
  ASSERT_EQ(list.ListCount(), 128);
  const std::pair<int, const char*> spots[] = {{0, "Acoustic Grand Piano"}, {3, "Honky Tonk Piano"},
                                               {10, "Music Box"},           {70, "Basson"},
                                               {82, "Syn.Calliope"},        {83, "Chiffer Lead"},
                                               {87, "Bass& Lead"},          {119, "Reverse Cym."},
                                               {120, "Gt.FretNoise"},       {127, "Gun Shot"}};
  for (const auto& [i, name] : spots) EXPECT_EQ(list.item(i)->text(), name);
}

TEST_F(Startup, TheNoticeComesFirstOnDaysDivisibleByFive) {
  for (int day : {1, 4, 5, 10, 15, 20, 25, 30, 31}) {
    SCOPED_TRACE(day);
    RecordingPlatform p;
    p.devices = {"Synth"};
    RecordingMessageBox b;
    FakeDesktop d;
    d.day = day;
    std::size_t openedBeforeNotice = 99;
    bool mainShownBeforeNotice = true;
    MIDI_OUT out{p, b};
    MIDI_CMD cmd{out};
    MainWindow w;
    MainForm f{w, out, cmd, d};
    d.onNotice = [&] {
      openedBeforeNotice = p.Log().size();
      mainShownBeforeNotice = w.isVisible();
    };
    w.SetEvents(&f);
    f.Form_Load();
    const bool shown = std::count(d.calls.begin(), d.calls.end(), "ShowNotice") == 1;
    EXPECT_EQ(shown, day % 5 == 0);
    if (shown) {
      EXPECT_EQ(openedBeforeNotice, 0u) << "start-up waits for the notice";
      EXPECT_FALSE(mainShownBeforeNotice);
    }
    EXPECT_EQ(p.Log().size(), 7u);
  }
}

TEST_F(Startup, ASecondCopyEndsAtOnceAndTouchesNothing) {
  desktop.running = true;
  form.Form_Load();
  EXPECT_EQ(desktop.calls, (Strings{"PrevInstance", "End"}));
  EXPECT_TRUE(Log().empty());
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.List1().ListCount(), 0);
}

TEST_F(Startup, SelectingAnInstrumentSendsBankZeroAndItsProgramEveryTime) {
  Start();
  window.lst_sound_list().SetListIndex(87);
  window.lst_sound_list().SetListIndex(87);
  EXPECT_EQ(Log(), (Strings{"send 0: B0 00 00", "send 0: C0 57 00", "send 0: B0 00 00",
                            "send 0: C0 57 00"}));
}

TEST_F(Startup, ADeviceSwitchReopensAndCarriesTheInstrumentOver) {
  Start();
  window.lst_sound_list().SetListIndex(40);
  platform.ClearLog();
  window.List1().SetListIndex(1);
  EXPECT_EQ(Log(), (Strings{"close 0", "open 1", "send 1: B0 00 00", "send 1: C0 28 00"}));
  // The entry already open is reopened too.
  platform.ClearLog();
  window.List1().SetListIndex(1);
  EXPECT_EQ(Log(), (Strings{"close 1", "open 1", "send 1: B0 00 00", "send 1: C0 28 00"}));
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

TEST_F(Startup, AKeyOrMousePressOnEitherListSendsTheFocusToKeyZero) {
  Start();
  // The keystroke still reaches the list.
  window.lst_sound_list().setFocus();
  QTest::keyClick(&window.lst_sound_list(), Qt::Key_Down);
  EXPECT_EQ(Log(), (Strings{"send 0: B0 00 00", "send 0: C0 01 00"}));
  EXPECT_EQ(Focused(), &Key(0));

  for (ListBox* list : {&window.List1(), &window.lst_sound_list()}) {
    SCOPED_TRACE(list->objectName().toStdString());
    list->setFocus();
    ASSERT_EQ(Focused(), list);
    QTest::keyClick(list, Qt::Key_A);
    EXPECT_EQ(Focused(), &Key(0));

    list->setFocus();
    const QPoint onEntry = list->viewport()->mapTo(&window, list->viewport()->rect().center());
    QTest::mouseClick(Win(), Qt::RightButton, {}, onEntry);
    EXPECT_EQ(Focused(), &Key(0));
  }
}

TEST_F(Startup, ClosingTheWindowClosesTheDeviceWithoutNoteOffsAndEnds) {
  Start();
  MousePress(Centre(7));
  Press(Qt::Key_Q, 0x10);  // PC scan code
  platform.ClearLog();
  window.close();
  EXPECT_EQ(Log(), Strings{"close 0"});
  EXPECT_EQ(desktop.calls.back(), "End");
  EXPECT_FALSE(window.isVisible());
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

TEST_F(Startup, ASelectionEventWithNothingSelectedChangesNothing) {
  Start();
  window.List1().SetListIndex(-1);
  EXPECT_TRUE(Log().empty());
  EXPECT_NE(midiOut.hMidiOut(), 0u);
  // A position that does not exist is a run-time error.
  EXPECT_THROW(window.List1().SetListIndex(5), RuntimeError);
}

}  // namespace
}  // namespace tastiva::test
