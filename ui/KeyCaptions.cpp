#include "ui/KeyCaptions.h"

#include <QGuiApplication>

namespace tastiva {

// By key index: Q 2 W 3 E 4 R, Z S X D C V G B H N J M , L . ; /, U 8 I 9 O 0 P [.
const std::array<KeyPosition, layout::kKeyCount> kKeyPositions{{
    {0x10, 0x0C}, {0x03, 0x13}, {0x11, 0x0D}, {0x04, 0x14}, {0x12, 0x0E}, {0x05, 0x15},
    {0x13, 0x0F}, {0x2C, 0x06}, {0x1F, 0x01}, {0x2D, 0x07}, {0x20, 0x02}, {0x2E, 0x08},
    {0x2F, 0x09}, {0x22, 0x05}, {0x30, 0x0B}, {0x23, 0x04}, {0x31, 0x2D}, {0x24, 0x26},
    {0x32, 0x2E}, {0x33, 0x2B}, {0x26, 0x25}, {0x34, 0x2F}, {0x27, 0x29}, {0x35, 0x2C},
    {0x16, 0x20}, {0x09, 0x1C}, {0x17, 0x22}, {0x0A, 0x19}, {0x18, 0x1F}, {0x0B, 0x1D},
    {0x19, 0x23}, {0x1A, 0x21},
}};

namespace {

bool Printable(const QString& text) {
  if (text.isEmpty()) return false;
  for (QChar c : text) {
    if (!c.isPrint() || c.isSpace()) return false;
  }
  return true;
}

}  // namespace

QString Caption(const KeySymbols& symbols, std::string_view usCaption) {
  if (!Printable(symbols.plain)) {
    return QString::fromUtf8(usCaption.data(), static_cast<qsizetype>(usCaption.size()));
  }
  // Keycaps print a letter in capitals, the one Shift gives (Turkish i gives İ); a letter
  // whose key shifts to something else, like AZERTY's é over 2, is printed as it is.
  const QString& shifted = symbols.shifted;
  if (symbols.plain.size() == 1 && symbols.plain[0].isLower()) {
    if (shifted.size() == 1 && shifted[0].isUpper()) return shifted;
    const QString upper = symbols.plain.toUpper();  // ß has no capital of one letter
    if (shifted.isEmpty() && upper.size() == 1) return upper;
  }
  return symbols.plain;
}

std::unique_ptr<LayoutSource> CreateLayoutSource() {
#if defined(_WIN32)
  return CreateWindowsLayoutSource();
#elif defined(__APPLE__)
  return CreateMacLayoutSource();
#elif defined(TASTIVA_HAVE_XKBCOMMON)
  const QString platform = QGuiApplication::platformName();
  if (platform == QLatin1String("xcb")) return CreateX11LayoutSource();
  if (platform.startsWith(QLatin1String("wayland"))) return CreateWaylandLayoutSource();
  return nullptr;
#else
  return nullptr;
#endif
}

std::array<QString, layout::kKeyCount> KeyCaptions(LayoutSource* source) {
  const std::optional<LayoutSymbols> symbols = source ? source->Read() : std::nullopt;
  std::array<QString, layout::kKeyCount> captions;
  for (std::size_t i = 0; i < captions.size(); ++i) {
    captions[i] = Caption(symbols ? (*symbols)[i] : KeySymbols{}, layout::kKeys[i].caption);
  }
  return captions;
}

}  // namespace tastiva
