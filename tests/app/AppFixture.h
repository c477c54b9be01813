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
#include "ui/MainWindow.h"

namespace tastiva::test {

using Strings = std::vector<std::string>;

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

  // Real key events, as a platform delivers them, to the widget with the focus.
  void SendKey(QEvent::Type type, Qt::Key key, quint32 scanCode, bool repeat = false,
               Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent event(type, key, mods, scanCode, 0, 0, QString(), repeat);
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
