#include <cstdint>

#include "ui/assets/IcoLayout.h"
#include "ui/assets/generator/Encoders.h"

namespace tastiva::make_assets {

namespace {

// BITMAPFILEHEADER; a BITMAPINFOHEADER follows it.
struct FileHeader {
  std::uint16_t magic = 0x4D42;  // "BM"
  std::uint32_t file_size = 0;
  std::uint32_t reserved = 0;
  std::uint32_t pixels = 0;  // offset of the first row

  template <class Self, class F>
  static constexpr void Fields(Self& s, F&& f) {
    f(s.magic);
    f(s.file_size);
    f(s.reserved);
    f(s.pixels);
  }
};

}  // namespace

QByteArray EncodeBmp(const QImage& image) {
  const QImage img = image.convertToFormat(QImage::Format_RGB32);
  const int w = img.width();
  const int h = img.height();
  const int row_size = ico::RowBytes(w);
  const qsizetype pixels = ico::SizeOf<FileHeader>() + ico::SizeOf<ico::BitmapInfo>();

  QByteArray out;
  ico::Put(out,
           FileHeader{.file_size = static_cast<std::uint32_t>(pixels + qsizetype{row_size} * h),
                      .pixels = static_cast<std::uint32_t>(pixels)});
  ico::Put(out, ico::BitmapInfo{.width = w, .height = h});
  for (int row = 0; row < h; ++row) {
    const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(ico::StoredRow(row, h)));
    QByteArray bytes(row_size, '\0');
    for (int x = 0; x < w; ++x) ico::StorePixel(bytes.data() + x * ico::kPixelBytes, line[x]);
    out.append(bytes);
  }
  return out;
}

}  // namespace tastiva::make_assets
