#include <QBuffer>

#include <cstdint>
#include <utility>

#include "ui/assets/generator/Encoders.h"

namespace tastiva::make_assets {

namespace {

void PutBigEndian(QByteArray& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.append(static_cast<char>((v >> shift) & 0xFF));
}

}  // namespace

QByteArray EncodePng(const QImage& image) {
  QByteArray out;
  QBuffer buffer(&out);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return out;
}

// Big-endian chunks: a 4-letter type, then the size of the chunk including these 8 bytes.
QByteArray EncodeIcns(const QImage& image128, const QImage& image256) {
  QByteArray chunks;
  for (const auto& [type, image] : {std::pair{"ic07", &image128}, std::pair{"ic08", &image256}}) {
    const QByteArray png = EncodePng(*image);
    chunks.append(type, 4);
    PutBigEndian(chunks, static_cast<std::uint32_t>(png.size() + 8));
    chunks.append(png);
  }
  QByteArray out("icns", 4);
  PutBigEndian(out, static_cast<std::uint32_t>(chunks.size() + 8));
  return out + chunks;
}

}  // namespace tastiva::make_assets
