#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <array>
#include <functional>
#include <string_view>

#include "app/MainForm.h"
#include "midi/recording/RecordingPlatform.h"
#include "tests/support/Recorders.h"
#include "ui/KeyCaptions.h"
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
    case NativeKeys::MacKeyCode:  // keys that play nothing become A, whose code is 0
      for (const KeyPosition& k : kKeyPositions) {
        if (k.pcScanCode == pcScanCode) return {0, k.macKeyCode};
      }
      return {};
  }
  return {};
}

// The keys' captions on a US layout, by key index.
inline constexpr char kUsCaptions[] = "Q2W3E4RZSXDCVGBHNJM,L.;/U8I9O0P[";

// Log lines written one after the other: Lines("open 0, close 0").
inline Strings Lines(std::string_view lines, const std::string& prefix = "") {
  Strings split;
  for (std::size_t at = 0; at < lines.size();) {
    const std::size_t end = std::min(lines.find(", ", at), lines.size());
    split.push_back(prefix + std::string(lines.substr(at, end - at)));
    at = end + 2;
  }
  return split;
}
// Log lines of messages sent to device 0: Sends("90 35 7F, 90 35 00").
inline Strings Sends(std::string_view messages) {
  return Lines(messages, "send 0: ");
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

  // A real key event, as this platform delivers it, to the widget with the focus. The key
  // is named by its PC scan code (set 1) on a US keyboard.
  void SendKey(QEvent::Type type, Qt::Key key, quint32 pcScanCode, bool repeat = false,
               Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const NativeCodes native = NativeCodesFor(pcScanCode);
    QKeyEvent event(type, key, mods, native.scanCode, native.virtualKey, 0, QString(), repeat);
    QApplication::sendEvent(QApplication::focusWidget(), &event);
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
  QPoint Entry(ListBox& list, int row) {
    return list.viewport()->mapTo(&window, list.visualItemRect(list.item(row)).center());
  }

  // One step of real input. "+Q" "-Q": the computer key that types Q on a US layout pressed,
  // released ("A" is a key that plays nothing); "~Q" an X11 auto-repeat (release and press
  // marked as repeats), "=Q" a Windows one. "L+7" "L-7" "L*7" "L@7": the left button pressed,
  // released, double-clicked on key 7, moved there; R and M the other buttons.
  void Step(std::string_view step) {
    if (const auto op = std::string_view("+-~=").find(step[0]); op != std::string_view::npos) {
      const Qt::Key key = static_cast<Qt::Key>(step[1]);
      const auto i = std::string_view(kUsCaptions).find(step[1]);
      const quint32 pc = i == std::string_view::npos ? 0x1E : kKeyPositions.at(i).pcScanCode;
      if (op == 1 || op == 2) SendKey(QEvent::KeyRelease, key, pc, op == 2);
      if (op != 1) SendKey(QEvent::KeyPress, key, pc, op >= 2);
      return;
    }
    const Qt::MouseButton button = step[0] == 'L'   ? Qt::LeftButton
                                   : step[0] == 'R' ? Qt::RightButton
                                                    : Qt::MiddleButton;
    const QPoint at = Centre(std::stoi(std::string(step.substr(2))));
    if (step[1] == '+') MousePress(at, button);
    if (step[1] == '-') MouseRelease(at, button);
    if (step[1] == '*') QTest::mouseDClick(Win(), button, {}, at);
    if (step[1] == '@') QTest::mouseMove(Win(), at);
  }
  // Space-separated steps, after each of which every key is drawn pressed exactly while its
  // note sounds.
  void Play(std::string_view script) {
    for (std::size_t at = 0; at < script.size();) {
      const std::size_t end = std::min(script.find(' ', at), script.size());
      SCOPED_TRACE(std::string(script.substr(at, end - at)));
      Step(script.substr(at, end - at));
      ASSERT_NO_FATAL_FAILURE(ExpectLooksFollowSound());
      at = end + 1;
    }
  }
  // Every key is drawn pressed exactly while its note sounds, as the traffic alone tells: a
  // note-on starts a note, a note-off ends it.
  void ExpectLooksFollowSound() {
    std::array<bool, 128> sounding{};
    for (const std::uint32_t w : platform.Words()) {
      if ((w & 0xFF) == 0x90) sounding[(w >> 8) & 0x7F] = ((w >> 16) & 0xFF) != 0;
    }
    for (int i = 0; i < 32; ++i) ASSERT_EQ(Key(i).Value() == 1, sounding[53 + i]) << "key " << i;
  }

  RecordingPlatform platform;
  RecordingMessageBox box;
  FakeDesktop desktop;
  MIDI_OUT midiOut{platform, box};
  MIDI_CMD midiCmd{midiOut};
  MainWindow window;
  MainForm form{window, midiOut, midiCmd, desktop};
};

}  // namespace tastiva::test
