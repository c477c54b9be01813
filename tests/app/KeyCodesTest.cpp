// Physical keys of a US layout become the note map's codes on every platform.
#include <gtest/gtest.h>

#include <Qt>

#include "app/NoteMap.h"
#include "ui/KeyCodes.h"

namespace tastiva {
namespace {

struct Row {
  int qtKey;
  std::uint32_t xkb, mac;
};

// By key index: the Qt key of a US layout, the XKB keycode and the macOS key code.
constexpr Row kRows[32] = {
    {Qt::Key_Q, 24, 0x0C},      {Qt::Key_2, 11, 0x13},           {Qt::Key_W, 25, 0x0D},
    {Qt::Key_3, 12, 0x14},      {Qt::Key_E, 26, 0x0E},           {Qt::Key_4, 13, 0x15},
    {Qt::Key_R, 27, 0x0F},      {Qt::Key_Z, 52, 0x06},           {Qt::Key_S, 39, 0x01},
    {Qt::Key_X, 53, 0x07},      {Qt::Key_D, 40, 0x02},           {Qt::Key_C, 54, 0x08},
    {Qt::Key_V, 55, 0x09},      {Qt::Key_G, 42, 0x05},           {Qt::Key_B, 56, 0x0B},
    {Qt::Key_H, 43, 0x04},      {Qt::Key_N, 57, 0x2D},           {Qt::Key_J, 44, 0x26},
    {Qt::Key_M, 58, 0x2E},      {Qt::Key_Comma, 59, 0x2B},       {Qt::Key_L, 46, 0x25},
    {Qt::Key_Period, 60, 0x2F}, {Qt::Key_Semicolon, 47, 0x29},   {Qt::Key_Slash, 61, 0x2C},
    {Qt::Key_U, 30, 0x20},      {Qt::Key_8, 17, 0x1C},           {Qt::Key_I, 31, 0x22},
    {Qt::Key_9, 18, 0x19},      {Qt::Key_O, 32, 0x1F},           {Qt::Key_0, 19, 0x1D},
    {Qt::Key_P, 33, 0x23},      {Qt::Key_BracketLeft, 34, 0x21},
};

TEST(KeyCodes, EveryMappedKeyTranslatesFromEachPlatformsNativeCode) {
  for (int i = 0; i < 32; ++i) {
    SCOPED_TRACE(i);
    const Row& r = kRows[i];
    const std::int16_t expected = kNoteMap[static_cast<std::size_t>(i)];
    // Another layout's symbol on the same physical key changes nothing.
    EXPECT_EQ(VirtualKeyCode({Qt::Key_Eacute, false, r.xkb, 0}, NativeKeys::Xkb), expected);
    EXPECT_EQ(VirtualKeyCode({Qt::Key_Eacute, false, r.xkb - 8, 0}, NativeKeys::PcScanCode),
              expected);
    EXPECT_EQ(VirtualKeyCode({Qt::Key_Eacute, false, 0, r.mac}, NativeKeys::MacKeyCode), expected);
    // Without native codes the Qt key of a US layout is the fallback.
    EXPECT_EQ(VirtualKeyCode({r.qtKey, false, 0, 0}, NativeKeys::Xkb), expected);
  }
}

TEST(KeyCodes, LayoutsShiftAndKeypadDoNotMoveTheKeys) {
  // AZERTY: the key in Q's place gives A; QWERTZ: the key in Z's place gives Y.
  EXPECT_EQ(VirtualKeyCode({Qt::Key_A, false, 24, 0}, NativeKeys::Xkb), 'Q');
  EXPECT_EQ(VirtualKeyCode({Qt::Key_Y, false, 52, 0}, NativeKeys::Xkb), 'Z');
  // Shifted symbols without native codes fall back to their US keys.
  EXPECT_EQ(VirtualKeyCode({Qt::Key_Less, false, 0, 0}, NativeKeys::Xkb), 188);
  EXPECT_EQ(VirtualKeyCode({Qt::Key_BraceLeft, false, 0, 0}, NativeKeys::Xkb), 219);
  EXPECT_EQ(VirtualKeyCode({Qt::Key_At, false, 0, 0}, NativeKeys::Xkb), '2');
  // Keypad digits have codes of their own.
  EXPECT_EQ(VirtualKeyCode({Qt::Key_2, true, 88, 0}, NativeKeys::Xkb), 0x62);
  EXPECT_EQ(VirtualKeyCode({Qt::Key_2, true, 0, 0}, NativeKeys::Xkb), 0x62);
  EXPECT_EQ(VirtualKeyCode({Qt::Key_8, true, 0x48, 0}, NativeKeys::PcScanCode), 0x68);
  EXPECT_EQ(VirtualKeyCode({Qt::Key_0, true, 0, 0x52}, NativeKeys::MacKeyCode), 0x60);
  // Extended keys on Windows (arrows share scan codes with the keypad) are not keypad keys.
  EXPECT_EQ(VirtualKeyCode({Qt::Key_Up, false, 0x148, 0}, NativeKeys::PcScanCode), 0);
  // macOS: the A key's native code is 0.
  EXPECT_EQ(VirtualKeyCode({Qt::Key_A, false, 0, 0}, NativeKeys::MacKeyCode), 'A');
}

}  // namespace
}  // namespace tastiva
