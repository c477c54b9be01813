// The thread's keyboard layout through the layout API, read again on WM_INPUTLANGCHANGE.
#include <windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include "ui/KeyCaptions.h"

namespace tastiva {

namespace {

// ToUnicodeEx leaves the keyboard's dead-key state alone with this flag (Windows 10 1607).
constexpr UINT kKeepKeyboardState = 0x4;

QString Typed(UINT virtualKey, UINT scanCode, bool shift, HKL layout) {
  BYTE keys[256] = {};
  if (shift) keys[VK_SHIFT] = 0x80;
  wchar_t text[8] = {};
  const int n = ToUnicodeEx(virtualKey, scanCode, keys, text, 8, kKeepKeyboardState, layout);
  // A dead key (-1) leaves its spacing accent in the buffer.
  if (n < 0) return QString::fromWCharArray(text, 1);
  return QString::fromWCharArray(text, n);
}

class WindowsSource final : public LayoutSource, public QAbstractNativeEventFilter {
 public:
  WindowsSource() { QCoreApplication::instance()->installNativeEventFilter(this); }
  ~WindowsSource() override {
    if (auto* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
  }

  std::optional<LayoutSymbols> Read() override {
    const HKL layout = GetKeyboardLayout(0);
    LayoutSymbols symbols;
    for (std::size_t i = 0; i < symbols.size(); ++i) {
      const UINT scanCode = kKeyPositions[i].pcScanCode;
      const UINT virtualKey = MapVirtualKeyExW(scanCode, MAPVK_VSC_TO_VK_EX, layout);
      if (virtualKey == 0) continue;
      symbols[i].plain = Typed(virtualKey, scanCode, false, layout);
      symbols[i].shifted = Typed(virtualKey, scanCode, true, layout);
    }
    return symbols;
  }

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type == "windows_generic_MSG" &&
        static_cast<const MSG*>(message)->message == WM_INPUTLANGCHANGE) {
      Changed();
    }
    return false;
  }
};

}  // namespace

std::unique_ptr<LayoutSource> CreateWindowsLayoutSource() {
  return std::make_unique<WindowsSource>();
}

}  // namespace tastiva
