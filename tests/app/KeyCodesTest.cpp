// Physical keys of a US layout become the note map's codes on every platform, and a key's
// caption comes from what the user's layout types on it. The layouts of each window system
// are read in the end-to-end tests (tests/e2e/captions_test.sh, wayland_test.sh).
#include <gtest/gtest.h>

#include <Qt>

#include "app/NoteMap.h"
#include "ui/KeyCaptions.h"
#include "ui/KeyCodes.h"

namespace tastiva {
namespace {

// By key index: the XKB keycode and the macOS key code; the Qt key of a US layout is the
// key's caption.
constexpr std::uint32_t kXkb[32] = {24, 11, 25, 12, 26, 13, 27, 52, 39, 53, 40, 54, 55, 42, 56, 43,
                                    57, 44, 58, 59, 46, 60, 47, 61, 30, 17, 31, 18, 32, 19, 33, 34};
constexpr std::uint32_t kMac[32] = {
    0x0C, 0x13, 0x0D, 0x14, 0x0E, 0x15, 0x0F, 0x06, 0x01, 0x07, 0x02, 0x08, 0x09, 0x05, 0x0B, 0x04,
    0x2D, 0x26, 0x2E, 0x2B, 0x25, 0x2F, 0x29, 0x2C, 0x20, 0x1C, 0x22, 0x19, 0x1F, 0x1D, 0x23, 0x21};
constexpr char kUsCaptions[] = "Q2W3E4RZSXDCVGBHNJM,L.;/U8I9O0P[";

TEST(KeyCodes, EveryMappedKeyTranslatesFromEachPlatformsNativeCodeAndIsCaptionedFromIt) {
  for (std::size_t i = 0; i < 32; ++i) {
    SCOPED_TRACE(i);
    const std::int16_t expected = kNoteMap[i];
    // Another layout's symbol on the same physical key changes nothing.
    EXPECT_EQ(VirtualKeyCode({Qt::Key_Eacute, false, kXkb[i], 0}, NativeKeys::Xkb), expected);
    EXPECT_EQ(VirtualKeyCode({Qt::Key_Eacute, false, kXkb[i] - 8, 0}, NativeKeys::PcScanCode),
              expected);
    EXPECT_EQ(VirtualKeyCode({Qt::Key_Eacute, false, 0, kMac[i]}, NativeKeys::MacKeyCode),
              expected);
    // Without native codes the Qt key of a US layout is the fallback.
    EXPECT_EQ(VirtualKeyCode({kUsCaptions[i], false, 0, 0}, NativeKeys::Xkb), expected);
    // Captions are read from the same physical keys.
    EXPECT_EQ(kKeyPositions[i].pcScanCode, kXkb[i] - 8);
    EXPECT_EQ(kKeyPositions[i].macKeyCode, kMac[i]);
  }
}

// Other layouts' keys in the same places (AZERTY's A in Q's place, QWERTZ's Y in Z's) play as
// US ones: tests/e2e/captions_test.sh.
TEST(KeyCodes, LayoutsShiftAndKeypadDoNotMoveTheKeys) {
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

// The us, de and fr layouts' captions (Q, Ö, é over 2, the dead ^) are read from X in
// tests/e2e/captions_test.sh.
TEST(KeyCaptions, LettersInCapitalsOtherSymbolsAsTypedUsWhereNothingPrints) {
  EXPECT_EQ(Caption({"i", "İ"}, "I"), "İ");  // Turkish: the capital Shift gives
  EXPECT_EQ(Caption({"ß", ""}, "-"), "ß");   // no capital of its own
  EXPECT_EQ(Caption({"a", ""}, "Q"), "A");   // a key with one level
  EXPECT_EQ(Caption({"", "Q"}, "Q"), "Q");
  EXPECT_EQ(Caption({"\r", ""}, "["), "[");
  EXPECT_EQ(Caption({" ", ""}, "["), "[");
}

}  // namespace
}  // namespace tastiva
