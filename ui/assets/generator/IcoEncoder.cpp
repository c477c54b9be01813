#include <cstdint>
#include <vector>

#include "ui/assets/IcoLayout.h"
#include "ui/assets/generator/Encoders.h"

namespace tastiva::make_assets {

namespace {

// A 1-bit mask cannot hold soft edges, so half-covered pixels decide by majority.
bool Opaque(QRgb px) {
  return qAlpha(px) >= 128;
}

}  // namespace

QByteArray EncodeIco(const QImage& image) {
  const QImage img = image.convertToFormat(QImage::Format_ARGB32);
  const int w = img.width();
  const int h = img.height();
  const ico::ImageLayout at = ico::LayOut(w, h);

  QByteArray out;
  ico::Put(out, ico::Dir{});
  ico::Put(out, ico::DirEntry{.width = static_cast<std::uint8_t>(w),
                              .height = static_cast<std::uint8_t>(h),
                              .bytes = static_cast<std::uint32_t>(at.end - at.info),
                              .offset = static_cast<std::uint32_t>(at.info)});
  ico::Put(out, ico::BitmapInfo{.width = w,
                                .height = ico::InfoHeight(h),
                                .image_size = static_cast<std::uint32_t>(at.end - at.colours)});

  for (int row = 0; row < h; ++row) {
    const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(ico::StoredRow(row, h)));
    QByteArray bytes(at.row, '\0');
    for (int x = 0; x < w; ++x) {
      // Transparent pixels stay black so XOR leaves the ground.
      if (Opaque(line[x])) ico::StorePixel(bytes.data() + x * ico::kPixelBytes, line[x]);
    }
    out.append(bytes);
  }
  for (int row = 0; row < h; ++row) {
    const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(ico::StoredRow(row, h)));
    QByteArray bytes(at.mask_row, '\0');
    for (int x = 0; x < w; ++x) {
      if (!Opaque(line[x])) {
        bytes[ico::MaskByte(x)] = static_cast<char>(bytes[ico::MaskByte(x)] | ico::MaskBit(x));
      }
    }
    out.append(bytes);
  }
  return out;
}

QByteArray EncodeIcoSet(const std::vector<QImage>& images) {
  QByteArray out;
  ico::Put(out, ico::Dir{.count = static_cast<std::uint16_t>(images.size())});
  std::vector<QByteArray> pngs;
  auto offset = static_cast<std::uint32_t>(ico::SizeOf<ico::Dir>() +
                                           ico::SizeOf<ico::DirEntry>() * qsizetype(images.size()));
  for (const QImage& image : images) {
    pngs.push_back(EncodePng(image));
    const auto side = [](int n) { return static_cast<std::uint8_t>(n >= 256 ? 0 : n); };
    ico::Put(out, ico::DirEntry{.width = side(image.width()),
                                .height = side(image.height()),
                                .bits = 32,
                                .bytes = static_cast<std::uint32_t>(pngs.back().size()),
                                .offset = offset});
    offset += static_cast<std::uint32_t>(pngs.back().size());
  }
  for (const QByteArray& png : pngs) out.append(png);
  return out;
}

}  // namespace tastiva::make_assets
