#pragma once

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <array>
#include <functional>
#include <string_view>

#include "app/MainForm.h"
#include "midi/recording/RecordingPlatform.h"
#include "tests/support/Recorders.h"
#include "ui/BriefPress.h"
#include "ui/KeyCaptions.h"
#include "ui/KeyCodes.h"
#include "ui/MainWindow.h"

namespace tastiva::test {

using Strings = std::vector<std::string>;

// The keys' captions on a US layout, by key index.
inline constexpr char kUsCaptions[] = "Q2W3E4RZSXDCVGBHNJM,L.;/U8I9O0P[";

// The PC scan code (set 1) of the key with a caption on a US layout; A, which plays nothing,
// for any other.
inline quint32 Pc(char caption) {
  const auto i = std::string_view(kUsCaptions).find(caption);
  return i == std::string_view::npos ? 0x1E : kKeyPositions.at(i).pcScanCode;
}

// Parts of a text: Split("open 0, close 0") gives the log lines "open 0" and "close 0".
inline Strings Split(std::string_view text, std::string_view by = ", ",
                     const std::string& prefix = "") {
  Strings parts;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find(by, at), text.size());
    parts.push_back(prefix + std::string(text.substr(at, end - at)));
    at = end + by.size();
  }
  return parts;
}
// Log lines of messages sent to device 0: Sends("90 35 7F, 90 35 00").
inline Strings Sends(std::string_view messages) {
  return Split(messages, ", ", "send 0: ");
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

  // A real key event, as this platform delivers it, to the widget with the focus or to a
  // window. X11 and Wayland give the XKB keycode (8 more than the PC scan code), Windows the
  // scan code, macOS a key code of its own (keys that play nothing become A, whose code is 0).
  static void SendKey(QEvent::Type type, Qt::Key key, quint32 pc, bool repeat = false,
                      Qt::KeyboardModifiers mods = {}, QObject* to = QApplication::focusWidget()) {
    const NativeKeys kind = PlatformNativeKeys();
    quint32 mac = 0;
    for (const KeyPosition& k : kKeyPositions) mac = k.pcScanCode == pc ? k.macKeyCode : mac;
    const quint32 scan = kind == NativeKeys::Xkb ? pc + 8 : kind == NativeKeys::PcScanCode ? pc : 0;
    QKeyEvent event(type, key, mods, scan, kind == NativeKeys::MacKeyCode ? mac : 0, 0, {}, repeat);
    QApplication::sendEvent(to, &event);
  }

  // Real mouse events on the window at a point: the window system finds the control on
  // top there and sends the release to the control that got the press.
  QWindow* Win() { return window.windowHandle(); }
  void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = {}) {
    QTest::mouseClick(Win(), button, mods, at);
  }
  QPoint Centre(int key) { return Key(key).geometry().center(); }
  QPoint Entry(ListBox& list, int row) {
    return list.viewport()->mapTo(&window, list.visualItemRect(list.item(row)).center());
  }

  // One step of real input. "+Q" "-Q": the computer key that types Q on a US layout pressed,
  // released ("A" is a key that plays nothing); "~Q" an X11 auto-repeat (release and press
  // marked as repeats), "=Q" a Windows one. "L+7" "L-7" "L*7" "L@7": the left button pressed,
  // released, double-clicked on key 7, moved there; R and M the other buttons. "P7": a screen
  // reader's Press on key 7; "W": long enough for such a press to end by itself.
  void Step(std::string_view step) {
    if (step == "W") return QTest::qWait(BriefPress::kMilliseconds + 50);
    const auto number = [&](std::size_t at) { return std::stoi(std::string(step.substr(at))); };
    if (step[0] == 'P') {
      QAccessible::queryAccessibleInterface(&Key(number(1)))
          ->actionInterface()
          ->doAction(QAccessibleActionInterface::pressAction());
      return QCoreApplication::processEvents();
    }
    if (const auto op = std::string_view("+-~=").find(step[0]); op != std::string_view::npos) {
      const Qt::Key key = static_cast<Qt::Key>(step[1]);
      if (op == 1 || op == 2) SendKey(QEvent::KeyRelease, key, Pc(step[1]), op == 2);
      if (op != 1) SendKey(QEvent::KeyPress, key, Pc(step[1]), op >= 2);
      return;
    }
    const auto button = Qt::MouseButton(1 << std::string_view("LRM").find(step[0]));
    const QPoint at = Centre(number(2));
    if (step[1] == '+') QTest::mousePress(Win(), button, {}, at);
    if (step[1] == '-') QTest::mouseRelease(Win(), button, {}, at);
    if (step[1] == '*') QTest::mouseDClick(Win(), button, {}, at);
    if (step[1] == '@') QTest::mouseMove(Win(), at);
  }
  // Space-separated steps, after each of which every key is drawn pressed exactly while its
  // note sounds.
  void Play(std::string_view script) {
    for (const std::string& step : Split(script, " ")) {
      SCOPED_TRACE(step);
      Step(step);
      ASSERT_NO_FATAL_FAILURE(ExpectLooksFollowSound());
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
