// Long random sessions of keyboard, mouse, list and focus events: a key is shown pressed
// exactly while its note sounds, and nothing sounds once every key is up.
#include <array>
#include <random>
#include <set>

#include "tests/app/AppFixture.h"

namespace tastiva::test {
namespace {

constexpr std::array<quint32, 4> kUnmapped{0x1E, 0x21, 0x25, 0x39};  // A F K space

class Model : public AppTest {
 protected:
  void Key(QEvent::Type type, quint32 code, bool repeat = false) {
    SendKey(type, Qt::Key(0), code, repeat);
  }
  using AppTest::Key;
};

TEST_F(Model, RandomSessionsLeaveNoNoteSounding) {
  Start();
  const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
  auto Pc = [](int key) -> quint32 {
    return kKeyPositions.at(static_cast<std::size_t>(key)).pcScanCode;
  };
  for (unsigned seed = 1; seed <= 4; ++seed) {
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::set<quint32> heldKeys;
    std::set<Qt::MouseButton> heldButtons;

    for (int step = 0; step < 1500; ++step) {
      const int what = pick(100);
      if (what < 30) {
        const quint32 code = pick(8) == 0 ? kUnmapped[pick(4)] : Pc(pick(32));
        Key(QEvent::KeyPress, code, heldKeys.count(code) == 1);
        heldKeys.insert(code);
      } else if (what < 40 && !heldKeys.empty()) {
        const quint32 code = *std::next(heldKeys.begin(), pick(static_cast<int>(heldKeys.size())));
        Key(QEvent::KeyRelease, code, true);  // X11 auto-repeat pair
        Key(QEvent::KeyPress, code, true);
      } else if (what < 60) {
        if (heldKeys.empty() || pick(10) == 0) {
          Key(QEvent::KeyRelease, Pc(pick(32)));  // never seen pressed
        } else {
          const quint32 code =
              *std::next(heldKeys.begin(), pick(static_cast<int>(heldKeys.size())));
          Key(QEvent::KeyRelease, code);
          heldKeys.erase(code);
        }
      } else if (what < 75) {
        const Qt::MouseButton b = buttons[pick(3)];
        if (heldButtons.count(b) == 0) {
          MousePress(Centre(pick(32)) + QPoint(pick(9) - 4, pick(9) - 4), b);
          heldButtons.insert(b);
        }
      } else if (what < 80 && !heldButtons.empty()) {
        QTest::mouseMove(Win(), Centre(pick(32)));
      } else if (what < 92 && !heldButtons.empty()) {
        const Qt::MouseButton b = *heldButtons.begin();
        MouseRelease(Centre(pick(32)), b);
        heldButtons.erase(b);
      } else if (what < 97 && heldButtons.empty()) {
        ListBox& list = pick(2) ? window.List1() : window.lst_sound_list();
        const QRect r = list.visualItemRect(list.item(pick(2)));
        Click(list.viewport()->mapTo(&window, r.center()));
      } else if (what < 98 && heldButtons.empty()) {
        // Another window takes the keyboard; keys let go meanwhile report elsewhere.
        QWidget other;
        other.show();
        QApplication::setActiveWindow(&other);
        heldKeys.clear();
        QApplication::setActiveWindow(&window);
        window.activateWindow();
        Key(0).setFocus();
      }
      ASSERT_NO_FATAL_FAILURE(ExpectLooksFollowSound()) << "seed " << seed << " step " << step;
    }
    for (quint32 code : heldKeys) Key(QEvent::KeyRelease, code);
    for (Qt::MouseButton b : heldButtons) MouseRelease(Centre(0), b);
    ExpectLooksFollowSound();
    for (int i = 0; i < 32; ++i) EXPECT_EQ(Key(i).Value(), 0) << "key " << i << " stuck";
  }
  EXPECT_TRUE(box.boxes.empty());
}

}  // namespace
}  // namespace tastiva::test
