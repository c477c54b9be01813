#include "ui/KeyCodes.h"

#include <Qt>
#include <algorithm>
#include <iterator>

namespace tastiva {

namespace {

struct Entry {
  std::uint32_t native;
  std::uint8_t vk;
};

// PC scan codes (set 1) of the main block and keypad, US layout. XKB keycodes are these + 8.
constexpr Entry kPcScanCodes[] = {
    {0x01, 0x1B}, {0x02, '1'},  {0x03, '2'},  {0x04, '3'},  {0x05, '4'},  {0x06, '5'},
    {0x07, '6'},  {0x08, '7'},  {0x09, '8'},  {0x0A, '9'},  {0x0B, '0'},  {0x0C, 0xBD},
    {0x0D, 0xBB}, {0x0E, 0x08}, {0x0F, 0x09}, {0x10, 'Q'},  {0x11, 'W'},  {0x12, 'E'},
    {0x13, 'R'},  {0x14, 'T'},  {0x15, 'Y'},  {0x16, 'U'},  {0x17, 'I'},  {0x18, 'O'},
    {0x19, 'P'},  {0x1A, 0xDB}, {0x1B, 0xDD}, {0x1C, 0x0D}, {0x1D, 0x11}, {0x1E, 'A'},
    {0x1F, 'S'},  {0x20, 'D'},  {0x21, 'F'},  {0x22, 'G'},  {0x23, 'H'},  {0x24, 'J'},
    {0x25, 'K'},  {0x26, 'L'},  {0x27, 0xBA}, {0x28, 0xDE}, {0x29, 0xC0}, {0x2A, 0x10},
    {0x2B, 0xDC}, {0x2C, 'Z'},  {0x2D, 'X'},  {0x2E, 'C'},  {0x2F, 'V'},  {0x30, 'B'},
    {0x31, 'N'},  {0x32, 'M'},  {0x33, 0xBC}, {0x34, 0xBE}, {0x35, 0xBF}, {0x36, 0x10},
    {0x37, 0x6A}, {0x38, 0x12}, {0x39, 0x20}, {0x3A, 0x14}, {0x3B, 0x70}, {0x3C, 0x71},
    {0x3D, 0x72}, {0x3E, 0x73}, {0x3F, 0x74}, {0x40, 0x75}, {0x41, 0x76}, {0x42, 0x77},
    {0x43, 0x78}, {0x44, 0x79}, {0x47, 0x67}, {0x48, 0x68}, {0x49, 0x69}, {0x4A, 0x6D},
    {0x4B, 0x64}, {0x4C, 0x65}, {0x4D, 0x66}, {0x4E, 0x6B}, {0x4F, 0x61}, {0x50, 0x62},
    {0x51, 0x63}, {0x52, 0x60}, {0x53, 0x6E}, {0x56, 0xE2},
};

// macOS virtual key codes (kVK_ANSI_* and friends).
constexpr Entry kMacKeyCodes[] = {
    {0x00, 'A'},  {0x01, 'S'},  {0x02, 'D'},  {0x03, 'F'},  {0x04, 'H'},  {0x05, 'G'},
    {0x06, 'Z'},  {0x07, 'X'},  {0x08, 'C'},  {0x09, 'V'},  {0x0B, 'B'},  {0x0C, 'Q'},
    {0x0D, 'W'},  {0x0E, 'E'},  {0x0F, 'R'},  {0x10, 'Y'},  {0x11, 'T'},  {0x12, '1'},
    {0x13, '2'},  {0x14, '3'},  {0x15, '4'},  {0x16, '6'},  {0x17, '5'},  {0x18, 0xBB},
    {0x19, '9'},  {0x1A, '7'},  {0x1B, 0xBD}, {0x1C, '8'},  {0x1D, '0'},  {0x1E, 0xDD},
    {0x1F, 'O'},  {0x20, 'U'},  {0x21, 0xDB}, {0x22, 'I'},  {0x23, 'P'},  {0x24, 0x0D},
    {0x25, 'L'},  {0x26, 'J'},  {0x27, 0xDE}, {0x28, 'K'},  {0x29, 0xBA}, {0x2A, 0xDC},
    {0x2B, 0xBC}, {0x2C, 0xBF}, {0x2D, 'N'},  {0x2E, 'M'},  {0x2F, 0xBE}, {0x30, 0x09},
    {0x31, 0x20}, {0x32, 0xC0}, {0x35, 0x1B}, {0x41, 0x6E}, {0x43, 0x6A}, {0x45, 0x6B},
    {0x4E, 0x6D}, {0x52, 0x60}, {0x53, 0x61}, {0x54, 0x62}, {0x55, 0x63}, {0x56, 0x64},
    {0x57, 0x65}, {0x58, 0x66}, {0x59, 0x67}, {0x5B, 0x68}, {0x5C, 0x69},
};

// Qt keys of a US layout, shifted symbols included, for events without native codes.
constexpr Entry kQtPunctuation[] = {
    {Qt::Key_Comma, 0xBC},      {Qt::Key_Less, 0xBC},         {Qt::Key_Period, 0xBE},
    {Qt::Key_Greater, 0xBE},    {Qt::Key_Semicolon, 0xBA},    {Qt::Key_Colon, 0xBA},
    {Qt::Key_Slash, 0xBF},      {Qt::Key_Question, 0xBF},     {Qt::Key_BracketLeft, 0xDB},
    {Qt::Key_BraceLeft, 0xDB},  {Qt::Key_BracketRight, 0xDD}, {Qt::Key_BraceRight, 0xDD},
    {Qt::Key_Apostrophe, 0xDE}, {Qt::Key_QuoteDbl, 0xDE},     {Qt::Key_Minus, 0xBD},
    {Qt::Key_Underscore, 0xBD}, {Qt::Key_Equal, 0xBB},        {Qt::Key_Plus, 0xBB},
    {Qt::Key_Backslash, 0xDC},  {Qt::Key_Bar, 0xDC},          {Qt::Key_QuoteLeft, 0xC0},
    {Qt::Key_AsciiTilde, 0xC0}, {Qt::Key_Exclam, '1'},        {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},  {Qt::Key_Dollar, '4'},        {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'},     {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},   {Qt::Key_ParenRight, '0'},    {Qt::Key_Space, 0x20},
    {Qt::Key_Escape, 0x1B},     {Qt::Key_Return, 0x0D},       {Qt::Key_Enter, 0x0D},
    {Qt::Key_Backspace, 0x08},  {Qt::Key_Shift, 0x10},        {Qt::Key_Control, 0x11},
    {Qt::Key_Alt, 0x12},        {Qt::Key_CapsLock, 0x14},
};

template <std::size_t N>
std::int16_t Find(const Entry (&table)[N], std::uint32_t native) {
  const auto* it = std::find_if(std::begin(table), std::end(table),
                                [native](const Entry& e) { return e.native == native; });
  return it == std::end(table) ? 0 : it->vk;
}

std::int16_t FromQtKey(int key, bool keypad) {
  if (key >= Qt::Key_0 && key <= Qt::Key_9) {
    return static_cast<std::int16_t>(keypad ? 0x60 + (key - Qt::Key_0) : key);
  }
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<std::int16_t>(key);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
    return static_cast<std::int16_t>(0x70 + (key - Qt::Key_F1));
  }
  if (keypad) return key == Qt::Key_Period ? 0x6E : 0;  // keypad keys have codes of their own
  return Find(kQtPunctuation, static_cast<std::uint32_t>(key));
}

}  // namespace

NativeKeys PlatformNativeKeys() {
#if defined(_WIN32)
  return NativeKeys::PcScanCode;
#elif defined(__APPLE__)
  return NativeKeys::MacKeyCode;
#else
  return NativeKeys::Xkb;
#endif
}

std::int16_t VirtualKeyCode(const KeyEventCodes& event, NativeKeys kind) {
  switch (kind) {
    case NativeKeys::Xkb:
      if (event.nativeScanCode > 8) return Find(kPcScanCodes, event.nativeScanCode - 8);
      break;
    case NativeKeys::PcScanCode:
      if (event.nativeScanCode != 0) return Find(kPcScanCodes, event.nativeScanCode);
      break;
    case NativeKeys::MacKeyCode:
      // kVK_ANSI_A is 0, so only a Qt key of 0 means there is no native code.
      if (event.nativeVirtualKey != 0 || event.qtKey == Qt::Key_A) {
        return Find(kMacKeyCodes, event.nativeVirtualKey);
      }
      break;
  }
  return FromQtKey(event.qtKey, event.keypad);
}

}  // namespace tastiva
