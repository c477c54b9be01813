// Playing the keys with the computer keyboard and the mouse: byte-exact traffic and looks,
// in scripts and in long random sessions. Then refused sends while keys are held: each box
// opens after the one before has closed, a key or mouse button let go while a box is open
// ends its note once the box has closed, and no key stays drawn pressed. The boxes are real
// modal boxes over the real window.
#include <QDialog>
#include <QTimer>
#include <random>
#include <utility>

#include "tests/app/AppFixture.h"
#include "ui/QtServices.h"

namespace tastiva::test {
namespace {

class Playing : public AppTest {
 protected:
  void SetUp() override {
    Start();
    Key(0).setFocus();
  }
  // Another window takes the keyboard.
  static void Activate(QWidget& other) {
    other.show();
    QApplication::setActiveWindow(&other);
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
      // A screen reader's Press sounds a while, ended at once by real input on the keys or
      // another Press; on a key held already it adds nothing.
      {"P7 W", "90 3C 7F, 90 3C 00"},
      {"P7 L+7 L-7 W", "90 3C 7F, 90 3C 00, 90 3C 7F, 90 3C 00"},
      {"P7 +Z -Z W", "90 3C 7F, 90 3C 00, 90 3C 7F, 90 3C 00"},
      {"P7 +Q P9 -Q W", "90 3C 7F, 90 3C 00, 90 35 7F, 90 3E 7F, 90 3E 00, 90 35 00"},
      {"+Z P7 -Z W", "90 3C 7F, 90 3C 00"},
      {"L+7 P7 W L-7", "90 3C 7F, 90 3C 00"},
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
  SendKey(QEvent::KeyPress, Qt::Key_Q, Pc('Q'), false, Qt::ShiftModifier);
  SendKey(QEvent::KeyRelease, Qt::Key_Q, Pc('Q'));
  SendKey(QEvent::KeyPress, Qt::Key_Less, Pc(','), false, Qt::ShiftModifier);
  SendKey(QEvent::KeyRelease, Qt::Key_Comma, Pc(','));
  EXPECT_EQ(Log(), Sends("90 35 7F, 90 35 00, 90 48 7F, 90 48 00"));

  // Unmapped keys send nothing but still bring the focus back; keypad 2 is not the top row's.
  platform.ClearLog();
  Key(12).setFocus();
  Play("+A");
  EXPECT_EQ(Focused(), &Key(0));
  Play("-A");
  SendKey(QEvent::KeyPress, Qt::Key_2, 0x50);
  SendKey(QEvent::KeyRelease, Qt::Key_2, 0x50);
  EXPECT_TRUE(Log().empty());
  ExpectLooksFollowSound();
}

TEST_F(Playing, LosingTheKeyboardReleasesTheKeysHeldOnIt) {
  Play("+Q +Z -Z L+16 P20");
  QWidget other;
  Activate(other);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  EXPECT_EQ(Log(), Sends("90 35 7F, 90 3C 7F, 90 3C 00, 90 45 7F, 90 49 7F, 90 49 00, 90 35 00"));
  ExpectLooksFollowSound();
}

TEST_F(Playing, RandomSessionsLeaveNoNoteSounding) {
  const std::string keys = std::string(kUsCaptions) + "A";
  for (unsigned seed = 1; seed <= 4; ++seed) {
    std::mt19937 rng(seed);
    const auto pick = [&](std::size_t n) { return rng() % n; };
    std::string heldKeys, heldButtons;  // captions, and L R M
    for (int step = 0; step < 1500; ++step) {
      const std::size_t what = pick(100);
      const char key = keys[pick(keys.size())];
      const char button = "LRM"[pick(3)];
      const std::string at = std::to_string(pick(32));
      std::string s;
      if (what < 30) {  // a press, and a Windows repeat if held
        s = {heldKeys.find(key) == std::string::npos ? '+' : '=', key};
        heldKeys += key;
      } else if (what < 40 && !heldKeys.empty()) {
        s = {'~', heldKeys[pick(heldKeys.size())]};  // an X11 repeat
      } else if (what < 60) {                        // now and then of a key never seen pressed
        s = {'-', heldKeys.empty() || pick(10) == 0 ? key : heldKeys[pick(heldKeys.size())]};
        std::erase(heldKeys, s[1]);
      } else if (what < 75 && heldButtons.find(button) == std::string::npos) {
        heldButtons += button;
        s = button + ("+" + at);
      } else if (what < 80 && !heldButtons.empty()) {
        s = "L@" + at;
      } else if (what < 92 && !heldButtons.empty()) {
        s = heldButtons.substr(0, 1) + "-" + at;
        heldButtons.erase(0, 1);
      } else if (what < 97 && heldButtons.empty()) {
        // A switch ends the notes held on the old device (ListsTest): only with none held.
        const bool devices = heldKeys.empty() && pick(2);
        ListBox& list = devices ? window.List1() : window.lst_sound_list();
        Click(Entry(list, static_cast<int>(pick(2))));
      } else if (what < 98 && heldButtons.empty()) {
        QWidget other;  // keys let go meanwhile report to it
        Activate(other);
        heldKeys.clear();
        QApplication::setActiveWindow(&window);
        window.activateWindow();
        Key(0).setFocus();
      } else if (what >= 98) {
        s = "P" + at;
      }
      if (!s.empty()) Step(s);
      ASSERT_NO_FATAL_FAILURE(ExpectLooksFollowSound()) << "seed " << seed << " step " << step;
    }
    for (const char k : heldKeys) Step(std::string{'-', k});
    for (const char b : heldButtons) Step(b + std::string("-0"));
    Step("W");
    ExpectLooksFollowSound();
    for (int i = 0; i < 32; ++i) EXPECT_EQ(Key(i).Value(), 0) << "key " << i << " stuck";
  }
  EXPECT_TRUE(box.boxes.empty());
}

class Boxes : public Playing {
 protected:
  // Each box opens for real over the window; inFirstBox runs while the first is open, then
  // every box is closed.
  void SetUp() override {
    Playing::SetUp();
    platform.refuseSend = 5;
    box.onShow = [this] {
      deepest = std::max(deepest, ++open_);
      QTimer::singleShot(0, [act = std::exchange(inFirstBox, nullptr)] {
        if (act) act();
        qobject_cast<QDialog*>(QApplication::activeModalWidget())->done(0);
      });
      QtMessageBox().MsgBox(box.boxes.back().prompt, 0, "Tastiva");
      --open_;
    };
  }

  // Lets what waits for the boxes to close run; the window manager then gives the window the
  // keyboard back.
  void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    QApplication::setActiveWindow(&window);
  }

  std::function<void()> inFirstBox;
  int deepest = 0;  // boxes open at once, at most

 private:
  int open_ = 0;
};

// Each note goes out and ends, both refused with a box of their own, one box open at a time,
// and the key is drawn pressed until the first box has closed, then no longer.
TEST_F(Boxes, AKeyOrPressLetGoOrTheKeyboardLostWhileABoxIsOpenEndsTheNoteOnceTheBoxHasClosed) {
  const auto keysToTheBox = [] {  // as the window system gives them to the open box
    QWindow* box = QApplication::activeModalWidget()->windowHandle();
    SendKey(QEvent::KeyPress, Qt::Key_Z, Pc('Z'), false, {}, box);  // not played
    SendKey(QEvent::KeyRelease, Qt::Key_Z, Pc('Z'), false, {}, box);
    SendKey(QEvent::KeyRelease, Qt::Key_Q, Pc('Q'), false, {}, box);
  };
  const struct {
    const char* first;
    std::function<void()> inFirstBox;
    const char* then;  // after the box has closed
    const char* note;
  } cases[] = {
      {"+Q", [] { QApplication::setActiveWindow(nullptr); }, "", "90 35"},  // another program
      {"+Q", keysToTheBox, "", "90 35"},
      {"+Q", nullptr, "-Q", "90 35"},  // still held then: its own release ends it, once
      {"P5", nullptr, "W", "90 3A"},   // a screen reader's Press, its time run out
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.first) + " " + c.then);
    platform.ClearLog();
    box.boxes.clear();
    inFirstBox = c.inFirstBox;
    Step(c.first);
    const int key = c.first[0] == 'P' ? 5 : 0;
    EXPECT_EQ(box.boxes.size(), 1u);
    EXPECT_EQ(Key(key).Value(), 1) << "let go before the box has closed";
    Settle();
    if (*c.then) Step(c.then);
    Settle();
    EXPECT_EQ(Log(), Sends(c.note + std::string(" 7F -> 5, ") + c.note + " 00 -> 5"));
    EXPECT_EQ(box.boxes.size(), 2u);
    EXPECT_EQ(Key(key).Value(), 0);
  }
  EXPECT_EQ(deepest, 1) << "a box opened inside another";
}

TEST_F(Boxes, AMouseButtonLetGoOnTheBoxEndsTheNoteOnceTheBoxHasClosed) {
  inFirstBox = [this] { Step("L-5"); };
  Step("L+5");
  Settle();
  EXPECT_EQ(Log(), Sends("90 3A 7F -> 5, 90 3A 00 -> 5"));
  EXPECT_EQ(box.boxes.size(), 2u);
  EXPECT_EQ(deepest, 1) << "a box opened inside another";
  // The next click plays the key under the pointer.
  platform.refuseSend = 0;
  platform.ClearLog();
  Play("L+9 L-9");
  EXPECT_EQ(Log(), Sends("90 3E 7F, 90 3E 00"));
}

TEST_F(Boxes, APressThatRunsOutWhileTheBoxesOfARefusedInstrumentAreOpenEndsAfterThem) {
  platform.refuseSend = 0;
  Step("P5");
  platform.refuseSend = 5;
  inFirstBox = [] { QTest::qWait(BriefPress::kMilliseconds + 50); };
  window.lst_sound_list().SetListIndex(3);
  Settle();
  EXPECT_EQ(Log(), Sends("90 3A 7F, B0 00 00 -> 5, C0 03 00 -> 5, 90 3A 00 -> 5"));
  EXPECT_EQ(deepest, 1) << "a box opened inside another";
  EXPECT_EQ(Key(5).Value(), 0);
}

}  // namespace
}  // namespace tastiva::test
