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

  // The note went out and ended, each refused with a box of its own, one box open at a time,
  // and no key is left drawn pressed.
  void ExpectEndedBehindBoxes(int key, const std::string& note, std::size_t boxes) {
    EXPECT_EQ(Log(), Sends(note + " 7F -> 5, " + note + " 00 -> 5"));
    EXPECT_EQ(box.boxes.size(), boxes);
    EXPECT_EQ(deepest, 1) << "a box opened inside another";
    EXPECT_EQ(Key(key).Value(), 0);
  }

  std::function<void()> inFirstBox;
  int deepest = 0;  // boxes open at once, at most

 private:
  int open_ = 0;
};

TEST_F(Boxes, AKeyLetGoOnTheBoxEndsItsNoteOnceTheBoxHasClosed) {
  inFirstBox = [] {
    KeyToBox(QEvent::KeyPress, Qt::Key_Z, kKeyPositions[7].pcScanCode);  // not played
    KeyToBox(QEvent::KeyRelease, Qt::Key_Z, kKeyPositions[7].pcScanCode);
    KeyToBox(QEvent::KeyRelease, Qt::Key_Q, kKeyPositions[0].pcScanCode);
  };
  Step("+Q");
  EXPECT_EQ(box.boxes.size(), 1u);
  EXPECT_EQ(Key(0).Value(), 1) << "its release is handled after the box";
  Settle();
  ExpectEndedBehindBoxes(0, "90 35", 2);

  // Still held when the box closes: its own release ends it, once.
  platform.ClearLog();
  Step("+Q");
  Settle();
  EXPECT_EQ(Key(0).Value(), 1);
  Step("-Q");
  Settle();
  ExpectEndedBehindBoxes(0, "90 35", 4);
}

TEST_F(Boxes, AMouseButtonOrAnotherProgramTakingTheKeyboardEndsTheNoteOnceTheBoxHasClosed) {
  inFirstBox = [this] { MouseRelease(Centre(5)); };
  Step("L+5");
  Settle();
  ExpectEndedBehindBoxes(5, "90 3A", 2);
  // The next click plays the key under the pointer.
  platform.refuseSend = 0;
  platform.ClearLog();
  Play("L+9 L-9");
  EXPECT_EQ(Log(), Sends("90 3E 7F, 90 3E 00"));

  inFirstBox = [] { QApplication::setActiveWindow(nullptr); };
  platform.refuseSend = 5;
  platform.ClearLog();
  Step("+Q");
  Settle();
  ExpectEndedBehindBoxes(0, "90 35", 4);
}

}  // namespace
}  // namespace tastiva::test
