// Playing the keys with the computer keyboard and the mouse: byte-exact traffic and looks.
#include "tests/app/AppFixture.h"

namespace tastiva::test {
namespace {

// PC scan codes of a US layout.
constexpr quint32 kQ = 0x10, kA = 0x1E, kZ = 0x2C, kComma = 0x33, kBracket = 0x1A, k2 = 0x03,
                  kKp2 = 0x50;

class Playing : public AppTest {
 protected:
  void SetUp() override {
    Start();
    Key(0).setFocus();
  }
};

TEST_F(Playing, HoldingQThroughAutoRepeatSendsOneNoteOnAndOneNoteOff) {
  // X11 repeats as release+press pairs marked auto-repeat.
  Press(Qt::Key_Q, kQ);
  EXPECT_EQ(Key(0).Value(), 1);
  for (int i = 0; i < 40; ++i) {
    SendKey(QEvent::KeyRelease, Qt::Key_Q, kQ, true);
    EXPECT_EQ(Key(0).Value(), 1);
    SendKey(QEvent::KeyPress, Qt::Key_Q, kQ, true);
  }
  Release(Qt::Key_Q, kQ);
  EXPECT_EQ(Key(0).Value(), 0);
  // Windows repeats presses only.
  Press(Qt::Key_Z, kZ);
  for (int i = 0; i < 40; ++i) SendKey(QEvent::KeyPress, Qt::Key_Z, kZ, true);
  Release(Qt::Key_Z, kZ);
  EXPECT_EQ(Log(), (Strings{"send 0: 90 35 7F", "send 0: 90 35 00", "send 0: 90 3C 7F",
                            "send 0: 90 3C 00"}));
}

TEST_F(Playing, ModifiersMakeNoDifferenceEvenWhenTheySwitchBetweenPressAndRelease) {
  // Shift+Q gives a different symbol on press than on release without Shift.
  Press(Qt::Key_Q, kQ, Qt::ShiftModifier);
  Release(Qt::Key_Q, kQ);
  Press(Qt::Key_Less, kComma, Qt::ShiftModifier);  // Shift+comma
  Release(Qt::Key_Comma, kComma);
  EXPECT_EQ(Log(), (Strings{"send 0: 90 35 7F", "send 0: 90 35 00", "send 0: 90 48 7F",
                            "send 0: 90 48 00"}));
}

TEST_F(Playing, UnmappedKeysSendNothingButStillBringTheFocusBack) {
  Key(12).setFocus();
  Press(Qt::Key_A, kA);
  EXPECT_EQ(Focused(), &Key(0));
  EXPECT_EQ(form.CurrentKey(), std::optional<std::int16_t>(-1));
  Release(Qt::Key_A, kA);
  Press(Qt::Key_2, kKp2);  // keypad 2 is not the 2 of the top row
  Release(Qt::Key_2, kKp2);
  EXPECT_TRUE(Log().empty());
  for (int i = 0; i < 32; ++i) EXPECT_EQ(Key(i).Value(), 0);
}

TEST_F(Playing, AReleaseNeverSeenPressedStillEndsTheNote) {
  Release(Qt::Key_BracketLeft, kBracket);
  EXPECT_EQ(Log(), Strings{"send 0: 90 54 00"});
  EXPECT_EQ(Key(31).Value(), 0);
}

TEST_F(Playing, SeveralHeldKeysEndIndependently) {
  Press(Qt::Key_Q, kQ);
  Press(Qt::Key_2, k2);
  Press(Qt::Key_Z, kZ);
  EXPECT_EQ(Key(0).Value() + Key(1).Value() + Key(7).Value(), 3);
  Release(Qt::Key_2, k2);
  EXPECT_EQ(Key(0).Value() + Key(1).Value() + Key(7).Value(), 2);
  Release(Qt::Key_Z, kZ);
  Release(Qt::Key_Q, kQ);
  EXPECT_EQ(Log(), (Strings{"send 0: 90 35 7F", "send 0: 90 36 7F", "send 0: 90 3C 7F",
                            "send 0: 90 36 00", "send 0: 90 3C 00", "send 0: 90 35 00"}));
}

TEST_F(Playing, EveryMouseButtonPlaysAndTheKeyIsDownExactlyWhileItSounds) {
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    platform.ClearLog();
    MousePress(Centre(0), button);
    EXPECT_EQ(Key(0).Value(), 1);
    EXPECT_EQ(Log(), Strings{"send 0: 90 35 7F"});
    MouseRelease(Centre(0), button);
    EXPECT_EQ(Key(0).Value(), 0);
    EXPECT_EQ(Log(), (Strings{"send 0: 90 35 7F", "send 0: 90 35 00"}));
  }
}

TEST_F(Playing, FastClicksAllPlayDoubleClicksIncluded) {
  for (int i = 0; i < 5; ++i) {
    if (i % 2 == 0) {
      Click(Centre(4));
    } else {
      QTest::mouseDClick(Win(), Qt::LeftButton, {}, Centre(4));
    }
  }
  int on = 0, off = 0;
  for (const auto& line : Log()) (line == "send 0: 90 39 7F" ? on : off)++;
  // A double click on a window is a press, a release, a second press and a release.
  EXPECT_EQ(on, 7);
  EXPECT_EQ(off, 7);
  EXPECT_EQ(Key(4).Value(), 0);
}

TEST_F(Playing, DraggingPlaysNothingMoreAndTheReleaseGoesToThePressedKey) {
  MousePress(Centre(3));
  QTest::mouseMove(Win(), Centre(4));
  QTest::mouseMove(Win(), Centre(6));
  MouseRelease(Centre(4));
  EXPECT_EQ(Log(), (Strings{"send 0: 90 38 7F", "send 0: 90 38 00"}));
  EXPECT_EQ(Key(3).Value(), 0);
}

TEST_F(Playing, ASecondButtonOnAHeldKeySendsAnotherNoteOn) {
  MousePress(Centre(9), Qt::LeftButton);
  QTest::mousePress(Win(), Qt::RightButton, {}, Centre(9));
  QTest::mouseRelease(Win(), Qt::RightButton, {}, Centre(9));
  EXPECT_EQ(Key(9).Value(), 0);
  MouseRelease(Centre(9), Qt::LeftButton);
  EXPECT_EQ(Log(), (Strings{"send 0: 90 3E 7F", "send 0: 90 3E 7F", "send 0: 90 3E 00",
                            "send 0: 90 3E 00"}));
}

TEST_F(Playing, AMousePressOnAKeyHeldFromTheKeyboardSoundsItAgain) {
  Press(Qt::Key_Q, kQ);
  MousePress(Centre(0));
  EXPECT_EQ(Key(0).Value(), 1);
  MouseRelease(Centre(0));
  EXPECT_EQ(Key(0).Value(), 0);
  Release(Qt::Key_Q, kQ);
  EXPECT_EQ(Log(), (Strings{"send 0: 90 35 7F", "send 0: 90 35 7F", "send 0: 90 35 00",
                            "send 0: 90 35 00"}));
}

TEST_F(Playing, AMouseReleaseNoLongerCutsOffAComputerKeyStillHeld) {
  MousePress(Centre(12));
  Press(Qt::Key_Q, kQ);
  MouseRelease(Centre(12));
  EXPECT_EQ(Key(0).Value(), 1);
  Release(Qt::Key_Q, kQ);
  // Each key ends its own note; nothing goes to note 52 or cuts note 53 early.
  EXPECT_EQ(Log(), (Strings{"send 0: 90 41 7F", "send 0: 90 35 7F", "send 0: 90 41 00",
                            "send 0: 90 41 00", "send 0: 90 35 00"}));

  platform.ClearLog();
  MousePress(Centre(12));
  Press(Qt::Key_A, kA);  // unmapped: CurrentKey -1
  MouseRelease(Centre(12));
  EXPECT_EQ(Log(), (Strings{"send 0: 90 41 7F", "send 0: 90 41 00", "send 0: 90 41 00"}));
}

TEST_F(Playing, LosingTheKeyboardReleasesTheKeysHeldOnIt) {
  Press(Qt::Key_Q, kQ);
  Press(Qt::Key_Z, kZ);
  Release(Qt::Key_Z, kZ);
  MousePress(Centre(16));

  QWidget other;
  other.show();
  QApplication::setActiveWindow(&other);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));

  EXPECT_EQ(Key(0).Value(), 0);
  EXPECT_EQ(Log(), (Strings{"send 0: 90 35 7F", "send 0: 90 3C 7F", "send 0: 90 3C 00",
                            "send 0: 90 45 7F", "send 0: 90 35 00"}));
  // The key-up that finally arrives (or doesn't) changes nothing harmful.
  platform.ClearLog();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  EXPECT_TRUE(Log().empty());
}

}  // namespace
}  // namespace tastiva::test
