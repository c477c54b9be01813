#pragma once

#include <cstdint>

namespace tastiva {

// Where a key event's physical key identity comes from on each platform.
enum class NativeKeys {
  Xkb,         // X11 and Wayland: the XKB keycode (evdev + 8) in nativeScanCode
  PcScanCode,  // Windows: the scan code in nativeScanCode (0x100 marks extended keys)
  MacKeyCode,  // macOS: the virtual key code in nativeVirtualKey
};

NativeKeys PlatformNativeKeys();

// A key event as the window system gives it; the Qt fields are the fallback.
struct KeyEventCodes {
  int qtKey = 0;
  bool keypad = false;
  std::uint32_t nativeScanCode = 0;
  std::uint32_t nativeVirtualKey = 0;
};

// The Windows virtual-key code of the physical key on a US layout, so that every layout
// plays the same positions and Shift never changes the code between press and release.
// 0 when the key is unknown.
std::int16_t VirtualKeyCode(const KeyEventCodes& event, NativeKeys kind);

}  // namespace tastiva
