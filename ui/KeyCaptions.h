#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "ui/Layout.h"

namespace tastiva {

// Where each on-screen key sits on the computer keyboard, by key index: the PC scan code
// (set 1; XKB keycodes are these + 8) and the macOS key code. The same physical keys play
// the notes (ui/KeyCodes.cpp).
struct KeyPosition {
  std::uint8_t pcScanCode;
  std::uint8_t macKeyCode;
};
extern const std::array<KeyPosition, layout::kKeyCount> kKeyPositions;

// What a key types alone and with Shift under a keyboard layout; empty where it types
// nothing printable. Dead keys give their spacing accent.
struct KeySymbols {
  QString plain;
  QString shifted;
};
using LayoutSymbols = std::array<KeySymbols, layout::kKeyCount>;

// The caption a keycap would carry: a letter as its capital, anything else as typed, and the
// US caption when the key types nothing printable.
QString Caption(const KeySymbols& symbols, std::string_view usCaption);

// The user's active keyboard layout as the window system has it.
class LayoutSource {
 public:
  virtual ~LayoutSource() = default;
  // The symbols of the 32 keys; nothing when the layout cannot be read.
  virtual std::optional<LayoutSymbols> Read() = 0;
  // Called after the layout may have changed.
  std::function<void()> changed;

 protected:
  void Changed() {
    if (changed) changed();
  }
};

// The source of the platform the application runs on; none without a keyboard (offscreen).
std::unique_ptr<LayoutSource> CreateLayoutSource();

// The 32 captions from the source's layout, each falling back to its US caption.
std::array<QString, layout::kKeyCount> KeyCaptions(LayoutSource* source);

// The platforms' sources.
std::unique_ptr<LayoutSource> CreateX11LayoutSource();
std::unique_ptr<LayoutSource> CreateWaylandLayoutSource();
std::unique_ptr<LayoutSource> CreateWindowsLayoutSource();
std::unique_ptr<LayoutSource> CreateMacLayoutSource();

}  // namespace tastiva
