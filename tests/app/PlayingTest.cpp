// Playing the keys with the computer keyboard and the mouse: byte-exact traffic and looks.
#include "tests/app/AppFixture.h"

namespace tastiva::test {
namespace {

class Playing : public AppTest {
 protected:
  void SetUp() override {
    Start();
    Key(0).setFocus();
  }
};

TEST_F(Playing, EachKeyAndButtonSoundsItsOwnNoteWhileItIsHeld) {
  const std::pair<const char*, const char*> cases[] = {
      // Auto-repeat, X11's release and press pairs and Windows' presses, plays nothing more.
      {"+Q ~Q ~Q ~Q -Q +Z =Z =Z -Z", "90 35 7F, 90 35 00, 90 3C 7F, 90 3C 00"},
      {"-[", "90 54 00"},  // a release never seen pressed still ends the note
      {"+Q +2 +Z -2 -Z -Q", "90 35 7F, 90 36 7F, 90 3C 7F, 90 36 00, 90 3C 00, 90 35 00"},
      {"L+0 L-0 R+0 R-0 M+0 M-0", "90 35 7F, 90 35 00, 90 35 7F, 90 35 00, 90 35 7F, 90 35 00"},
      // A double click on a window is a press, a release, a second press and a release.
      {"L+4 L-4 L*4 L+4 L-4 L*4",
       "90 39 7F, 90 39 00, 90 39 7F, 90 39 00, 90 39 7F, 90 39 00, 90 39 7F, 90 39 00, "
       "90 39 7F, 90 39 00, 90 39 7F, 90 39 00"},
      // Dragging plays nothing more; the release goes to the key pressed.
      {"L+3 L@4 L@6 L-4", "90 38 7F, 90 38 00"},
      // A second button, or the mouse on a key held from the keyboard, sounds it again.
      {"L+9 R+9 R-9 L-9", "90 3E 7F, 90 3E 7F, 90 3E 00, 90 3E 00"},
      {"+Q L+0 L-0 -Q", "90 35 7F, 90 35 7F, 90 35 00, 90 35 00"},
      // A mouse release ends its own note only, whatever key was pressed last.
      {"L+12 +Q L-12 -Q", "90 41 7F, 90 35 7F, 90 41 00, 90 41 00, 90 35 00"},
      {"L+12 +A L-12", "90 41 7F, 90 41 00, 90 41 00"},
  };
  for (const auto& [script, sent] : cases) {
    SCOPED_TRACE(script);
    platform.ClearLog();
    Play(script);
    EXPECT_EQ(Log(), Sends(sent));
  }
}

TEST_F(Playing, ShiftKeypadAndUnmappedKeysChangeNothing) {
  // Shift gives another symbol on the press than on the release without it.
  SendKey(QEvent::KeyPress, Qt::Key_Q, kKeyPositions[0].pcScanCode, false, Qt::ShiftModifier);
  SendKey(QEvent::KeyRelease, Qt::Key_Q, kKeyPositions[0].pcScanCode);
  SendKey(QEvent::KeyPress, Qt::Key_Less, kKeyPositions[19].pcScanCode, false, Qt::ShiftModifier);
  SendKey(QEvent::KeyRelease, Qt::Key_Comma, kKeyPositions[19].pcScanCode);
  EXPECT_EQ(Log(), Sends("90 35 7F, 90 35 00, 90 48 7F, 90 48 00"));

  // Unmapped keys send nothing but still bring the focus back; keypad 2 is not the top row's.
  platform.ClearLog();
  Key(12).setFocus();
  Play("+A");
  EXPECT_EQ(Focused(), &Key(0));
  EXPECT_EQ(form.CurrentKey(), std::optional<std::int16_t>(-1));
  Play("-A");
  SendKey(QEvent::KeyPress, Qt::Key_2, 0x50);
  SendKey(QEvent::KeyRelease, Qt::Key_2, 0x50);
  EXPECT_TRUE(Log().empty());
  ExpectLooksFollowSound();
}

TEST_F(Playing, LosingTheKeyboardReleasesTheKeysHeldOnIt) {
  Play("+Q +Z -Z L+16");
  QWidget other;
  other.show();
  QApplication::setActiveWindow(&other);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  EXPECT_EQ(Log(), Sends("90 35 7F, 90 3C 7F, 90 3C 00, 90 45 7F, 90 35 00"));
  ExpectLooksFollowSound();

  // The key-up that finally arrives (or doesn't) changes nothing harmful.
  platform.ClearLog();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  EXPECT_TRUE(Log().empty());
}

}  // namespace
}  // namespace tastiva::test
