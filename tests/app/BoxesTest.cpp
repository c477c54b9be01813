// Refused sends while keys are held: each box opens after the one before has closed, a key or
// mouse button let go while a box is open ends its note once the box has closed, and no key
// stays drawn pressed. The boxes are real modal boxes over the real window.
#include <QDialog>
#include <QTimer>
#include <utility>

#include "tests/app/AppFixture.h"
#include "ui/QtServices.h"

namespace tastiva::test {
namespace {

constexpr quint32 kQ = 0x10, kZ = 0x2C;  // PC scan codes

class Boxes : public AppTest {
 protected:
  // Each box opens for real over the window; inFirstBox runs while the first is open, then
  // every box is closed.
  void SetUp() override {
    Start();
    Key(0).setFocus();
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

  // A key event as the window system gives it to the open box.
  static void KeyToBox(QEvent::Type type, Qt::Key key, quint32 pcScanCode) {
    const NativeCodes native = NativeCodesFor(pcScanCode);
    QKeyEvent event(type, key, Qt::NoModifier, native.scanCode, native.virtualKey, 0);
    QApplication::sendEvent(QApplication::activeModalWidget()->windowHandle(), &event);
  }

  std::function<void()> inFirstBox;
  int deepest = 0;  // boxes open at once, at most

 private:
  int open_ = 0;
};

TEST_F(Boxes, AKeyLetGoOnTheBoxEndsItsNoteOnceTheBoxHasClosed) {
  inFirstBox = [] {
    KeyToBox(QEvent::KeyPress, Qt::Key_Z, kZ);  // pressed and let go on the box: not played
    KeyToBox(QEvent::KeyRelease, Qt::Key_Z, kZ);
    KeyToBox(QEvent::KeyRelease, Qt::Key_Q, kQ);
  };
  Press(Qt::Key_Q, kQ);
  EXPECT_EQ(box.boxes.size(), 1u);
  EXPECT_EQ(Key(0).Value(), 1) << "its release is handled after the box";
  Settle();
  EXPECT_EQ(Log(), (Strings{"send 0: 90 35 7F -> 5", "send 0: 90 35 00 -> 5"}));
  EXPECT_EQ(box.boxes.size(), 2u);
  EXPECT_EQ(deepest, 1) << "a box opened inside another";
  EXPECT_EQ(Key(0).Value(), 0);

  // Still held when the box closes: its own release ends it, once.
  platform.ClearLog();
  Press(Qt::Key_Q, kQ);
  Settle();
  EXPECT_EQ(Key(0).Value(), 1);
  Release(Qt::Key_Q, kQ);
  Settle();
  EXPECT_EQ(Log(), (Strings{"send 0: 90 35 7F -> 5", "send 0: 90 35 00 -> 5"}));
  EXPECT_EQ(box.boxes.size(), 4u);
  EXPECT_EQ(deepest, 1);
  EXPECT_EQ(Key(0).Value(), 0);
}

TEST_F(Boxes, AMouseButtonLetGoWhileTheBoxIsOpenReleasesTheKeyOnceItHasClosed) {
  inFirstBox = [this] { MouseRelease(Centre(5)); };
  MousePress(Centre(5));
  Settle();
  EXPECT_EQ(Log(), (Strings{"send 0: 90 3A 7F -> 5", "send 0: 90 3A 00 -> 5"}));
  EXPECT_EQ(box.boxes.size(), 2u);
  EXPECT_EQ(deepest, 1);
  EXPECT_EQ(Key(5).Value(), 0);

  // The next click plays the key under the pointer.
  platform.refuseSend = 0;
  platform.ClearLog();
  Click(Centre(9));
  EXPECT_EQ(Log(), (Strings{"send 0: 90 3E 7F", "send 0: 90 3E 00"}));
}

TEST_F(Boxes, LeavingForAnotherProgramWhileABoxIsOpenReleasesTheHeldKeysAfterIt) {
  inFirstBox = [] { QApplication::setActiveWindow(nullptr); };
  Press(Qt::Key_Q, kQ);
  Settle();
  EXPECT_EQ(Log(), (Strings{"send 0: 90 35 7F -> 5", "send 0: 90 35 00 -> 5"}));
  EXPECT_EQ(box.boxes.size(), 2u);
  EXPECT_EQ(deepest, 1);
  EXPECT_EQ(Key(0).Value(), 0);
}

}  // namespace
}  // namespace tastiva::test
