#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWindow>
#include <functional>

#include "app/MainForm.h"
#include "midi/recording/RecordingPlatform.h"
#include "tests/support/Recorders.h"
#include "ui/KeyCodes.h"
#include "ui/MainWindow.h"

namespace tastiva::test {

using Strings = std::vector<std::string>;

// The native codes a window system gives for a physical key named by its PC scan code: X11
// and Wayland the XKB keycode (8 more), Windows the scan code, macOS a key code of its own.
struct NativeCodes {
  quint32 scanCode = 0, virtualKey = 0;
};
inline NativeCodes NativeCodesFor(quint32 pcScanCode, NativeKeys kind = PlatformNativeKeys()) {
  switch (kind) {
    case NativeKeys::Xkb:
      return {pcScanCode + 8, 0};
    case NativeKeys::PcScanCode:
      return {pcScanCode, 0};
    case NativeKeys::MacKeyCode: {
      // The macOS code the decoder reads as the same key (its own table is tested apart).
      const std::int16_t vk = VirtualKeyCode({0, false, pcScanCode, 0}, NativeKeys::PcScanCode);
      for (quint32 mac = 1; mac < 128; ++mac) {
        if (VirtualKeyCode({0, false, 0, mac}, NativeKeys::MacKeyCode) == vk) return {0, mac};
      }
      return {};  // the A key, whose code is 0
    }
  }
  return {};
}

class FakeDesktop final : public Desktop {
 public:
  bool running = false;
  int day = 1;
  std::vector<std::string> calls;
  std::function<void()> onNotice;

  bool PrevInstance() override {
    calls.push_back("PrevInstance");
    return running;
  }
  int Day() override { return day; }
  void ShowNotice() override {
    calls.push_back("ShowNotice");
    if (onNotice) onNotice();
  }
  void End() override { calls.push_back("End"); }
};

// The real main window on the offscreen platform, driven by real Qt events, with the
// recording MIDI platform behind it.
class AppTest : public ::testing::Test {
 protected:
  AppTest() {
    platform.devices = {"Built-in Synthesizer", "Port A"};
    window.SetEvents(&form);
  }

  // Start-up as the program does it, then the window shown and active.
  void Start() {
    form.Form_Load();
    window.show();
    QApplication::setActiveWindow(&window);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    platform.ClearLog();
  }

  const Strings& Log() const { return platform.Log(); }
  KeyButton& Key(int i) { return window.key(i); }
  QWidget* Focused() const { return QApplication::focusWidget(); }

  // Real key events, as this platform delivers them, to the widget with the focus. The key
  // is named by its PC scan code (set 1) on a US keyboard.
  void SendKey(QEvent::Type type, Qt::Key key, quint32 pcScanCode, bool repeat = false,
               Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const NativeCodes native = NativeCodesFor(pcScanCode);
    QKeyEvent event(type, key, mods, native.scanCode, native.virtualKey, 0, QString(), repeat);
    QApplication::sendEvent(QApplication::focusWidget(), &event);
  }
  void Press(Qt::Key key, quint32 scanCode, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    SendKey(QEvent::KeyPress, key, scanCode, false, mods);
  }
  void Release(Qt::Key key, quint32 scanCode, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    SendKey(QEvent::KeyRelease, key, scanCode, false, mods);
  }

  // Real mouse events on the window at a point: the window system finds the control on
  // top there and sends the release to the control that got the press.
  QWindow* Win() { return window.windowHandle(); }
  void MousePress(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mousePress(Win(), button, {}, at);
  }
  void MouseRelease(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseRelease(Win(), button, {}, at);
  }
  void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    MousePress(at, button);
    MouseRelease(at, button);
  }
  QPoint Centre(int key) { return Key(key).geometry().center(); }

  RecordingPlatform platform;
  RecordingMessageBox box;
  FakeDesktop desktop;
  MIDI_OUT midiOut{platform, box};
  MIDI_CMD midiCmd{midiOut};
  MainWindow window;
  MainForm form{window, midiOut, midiCmd, desktop};
};

}  // namespace tastiva::test
