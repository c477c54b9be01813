#include "ui/assets/Assets.h"

#include <QFile>
#include <QPixmap>
#include <QResource>
#include <QtEndian>
#include <QtGlobal>

#include <cstdint>

#include "ui/assets/IcoLayout.h"

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitAssetsResource() {
  Q_INIT_RESOURCE(assets);
  Q_INIT_RESOURCE(window_icon);
}

namespace tastiva {

void InitAssets() {
  InitAssetsResource();
}

QImage DecodeMaskedIcon(const QByteArray& ico) {
  ico::Dir dir;
  ico::DirEntry entry;
  ico::BitmapInfo info;
  if (!ico::Get(ico, 0, dir) || dir != ico::Dir{}) return {};
  if (!ico::Get(ico, ico::SizeOf<ico::Dir>(), entry) || entry.offset < ico::kImageOffset) return {};
  if (!ico::Get(ico, entry.offset, info)) return {};
  const ico::BitmapInfo expected;
  if (info.size != expected.size || info.bits != expected.bits ||
      info.compression != expected.compression)
    return {};
  const int w = info.width;
  const int h = info.height / 2;
  if (w <= 0 || w > ico::kMaxSide || h <= 0 || h > ico::kMaxSide ||
      info.height != ico::InfoHeight(h))
    return {};
  const ico::ImageLayout at = ico::LayOut(w, h, entry.offset);
  if (at.end > ico.size()) return {};

  QImage img(w, h, QImage::Format_ARGB32);
  for (int y = 0; y < h; ++y) {
    const qsizetype colour_row = at.colours + qsizetype{at.row} * ico::StoredRow(y, h);
    const qsizetype mask_row = at.mask + qsizetype{at.mask_row} * ico::StoredRow(y, h);
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const bool transparent =
          (static_cast<std::uint8_t>(ico[mask_row + ico::MaskByte(x)]) & ico::MaskBit(x)) != 0;
      line[x] = transparent ? qRgba(0, 0, 0, 0)
                            : ico::LoadPixel(ico.constData() + colour_row + x * ico::kPixelBytes);
    }
  }
  return img;
}

QImage MainIconImage(int size) {
  const QResource raw(QString(":/MainIcon-%1.argb").arg(size));
  const qsizetype pixels = qsizetype{size} * size;
  if (raw.size() != pixels * 4 || raw.compressionAlgorithm() != QResource::NoCompression) return {};
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  qFromLittleEndian<quint32>(raw.data(), pixels, image.bits());
  return image;
}

QIcon MainWindowIcon(int largest) {
  QIcon icon;
  for (const int size : {TASTIVA_ICON_SIZES}) {
    if (size > largest) continue;
    QImage image = MainIconImage(size);
    if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(std::move(image)));
  }
  return icon;
}

QImage LoadMaskedIcon(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return DecodeMaskedIcon(file.readAll());
}

}  // namespace tastiva
