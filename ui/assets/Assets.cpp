#include "ui/assets/Assets.h"

#include <QFile>
#include <QtGlobal>

#include <cstdint>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitAssetsResource() {
  Q_INIT_RESOURCE(assets);
}

namespace tastiva {

namespace {

std::uint32_t U16(const QByteArray& b, qsizetype at) {
  return static_cast<std::uint8_t>(b[at]) |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 1])) << 8;
}

std::uint32_t U32(const QByteArray& b, qsizetype at) {
  return U16(b, at) | U16(b, at + 2) << 16;
}

}  // namespace

void InitAssets() {
  InitAssetsResource();
}

QImage DecodeMaskedIcon(const QByteArray& ico) {
  constexpr qsizetype kDir = 6;
  constexpr qsizetype kEntry = 16;
  constexpr qsizetype kInfo = 40;
  if (ico.size() < kDir + kEntry + kInfo) return {};
  if (U16(ico, 0) != 0 || U16(ico, 2) != 1 || U16(ico, 4) != 1) return {};
  const qsizetype offset = U32(ico, 18);
  if (offset < kDir + kEntry || offset > ico.size() - kInfo) return {};
  const auto width = static_cast<std::int32_t>(U32(ico, offset + 4));
  const auto height2 = static_cast<std::int32_t>(U32(ico, offset + 8));
  if (U32(ico, offset) != kInfo || U16(ico, offset + 14) != 24 || U32(ico, offset + 16) != 0)
    return {};
  if (width <= 0 || width > 256 || height2 <= 0 || height2 > 512 || height2 % 2 != 0) return {};
  const int w = width;
  const int h = height2 / 2;
  const qsizetype xor_row = (w * 3 + 3) / 4 * 4;
  const qsizetype and_row = ((w + 7) / 8 + 3) / 4 * 4;
  const qsizetype pixels = offset + kInfo;
  const qsizetype mask = pixels + xor_row * h;
  if (mask + and_row * h > ico.size()) return {};

  QImage img(w, h, QImage::Format_ARGB32);
  for (int y = 0; y < h; ++y) {
    // Both bitmaps are stored bottom row first.
    const qsizetype colour_row = pixels + xor_row * (h - 1 - y);
    const qsizetype mask_row = mask + and_row * (h - 1 - y);
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const bool transparent =
          (static_cast<std::uint8_t>(ico[mask_row + x / 8]) & (0x80 >> (x % 8))) != 0;
      const auto* bgr = reinterpret_cast<const std::uint8_t*>(ico.constData() + colour_row + x * 3);
      line[x] = transparent ? qRgba(0, 0, 0, 0) : qRgb(bgr[2], bgr[1], bgr[0]);
    }
  }
  return img;
}

QImage LoadMaskedIcon(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return DecodeMaskedIcon(file.readAll());
}

}  // namespace tastiva
