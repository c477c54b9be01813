#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QRect>

#include <cstdint>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "ui/assets/Assets.h"

namespace {

QByteArray ReadResource(const QString& path) {
  tastiva::InitAssets();
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Checks the little-endian fields that follow each other from the start of data.
void ExpectFields(const QByteArray& data, const std::vector<int>& widths,
                  const std::vector<std::uint32_t>& values) {
  ASSERT_EQ(widths.size(), values.size());
  for (std::size_t k = 0, at = 0; k < widths.size(); at += widths[k++]) {
    std::uint32_t value = 0;
    for (int i = widths[k] - 1; i >= 0; --i) {
      value = value << 8 | static_cast<std::uint8_t>(data[at + i]);
    }
    EXPECT_EQ(value, values[k]) << "at offset " << at;
  }
}

TEST(NoticeBitmap, HeadersAndPaddingMatchTheExactLayout) {
  const QByteArray bmp = ReadResource(":/notice.bmp");
  ASSERT_EQ(bmp.size(), 742270);
  // "BM", file size, reserved, pixel data offset; info header size, width, height (positive:
  // bottom-up rows), planes, bits per pixel, then compression to important colours all 0.
  ExpectFields(bmp, {2, 4, 4, 4, 4, 4, 4, 2, 2, 4, 4, 4, 4, 4, 4},
               {0x4D42, 742270, 0, 54, 40, 685, 361, 1, 24, 0, 0, 0, 0, 0, 0});
  // Rows of 2055 pixel bytes, each padded with one zero byte.
  for (int row = 0; row < 361; ++row) EXPECT_EQ(bmp[54 + row * 2056 + 2055], '\0') << row;
}

TEST(IconFiles, HoldOneTwentyFourBitImageWithAndMask) {
  // 6 + 16 + 40 header bytes, then the 24-bit rows and the 1-bit AND mask's rows, each row
  // padded to 4 bytes: 62 + 48 * (144 + 8) and 62 + 32 * (96 + 4).
  for (const auto& [path, n, size] :
       {std::tuple{":/MainIcon.ico", 48u, 7358u}, {":/KeyPicture.ico", 32u, 3262u}}) {
    SCOPED_TRACE(path);
    const QByteArray ico = ReadResource(path);
    ASSERT_EQ(static_cast<std::uint32_t>(ico.size()), size);
    // ICONDIR: one icon. ICONDIRENTRY: n x n, no palette, 1 plane, 24 bits, its size, at
    // offset 22. BITMAPINFOHEADER: n wide, twice n high (colours, then the mask), 1 plane,
    // 24 bits, no compression.
    ExpectFields(ico, {2, 2, 2, 1, 1, 1, 1, 2, 2, 4, 4, 4, 4, 4, 2, 2, 4},
                 {0, 1, 1, n, n, 0, 0, 1, 24, size - 22, 22, 40, n, 2 * n, 1, 24, 0});
  }
}

// The bounds of the opaque pixels; every pixel is opaque or clear, never in between.
QRect OpaqueBounds(const QImage& icon, int n) {
  EXPECT_EQ(icon.size(), QSize(n, n));
  QRect bounds;
  for (int y = 0; y < icon.height(); ++y) {
    for (int x = 0; x < icon.width(); ++x) {
      const int alpha = qAlpha(icon.pixel(x, y));
      EXPECT_TRUE(alpha == 0 || alpha == 255) << x << "," << y << " in " << n;
      if (alpha != 0) bounds |= QRect(x, y, 1, 1);
    }
  }
  return bounds;
}

QRect OpaqueBounds(const QString& ico, int n) {
  return OpaqueBounds(tastiva::DecodeMaskedIcon(ReadResource(ico)), n);
}

TEST(IconPictures, MainIconKeysCentredInEverySizeKeyPictureHandInTheSeventeenLeftColumns) {
  // The 48 px icon as the Windows build carries it is the window's, and each size desktops
  // ask for holds the same keys on its own pixels: about 43/48 wide, half high, centred.
  EXPECT_EQ(tastiva::DecodeMaskedIcon(ReadResource(":/MainIcon.ico")),
            QImage(":/MainIcon-48.png").convertToFormat(QImage::Format_ARGB32));
  for (const int n : {16, 24, 32, 48, 64, 128, 256}) {
    const QImage png(QString(":/MainIcon-%1.png").arg(n));
    EXPECT_EQ(tastiva::MainIconImage(n), png.convertToFormat(QImage::Format_ARGB32_Premultiplied))
        << n << " as the window carries it";
    const QRect keys = OpaqueBounds(png, n);
    EXPECT_NEAR(keys.width(), n * 43 / 48, 1 + n / 48) << n;
    EXPECT_EQ(keys.height(), n / 2) << n;
    EXPECT_LE(std::abs(keys.top() - (n - 1 - keys.bottom())), 1) << n << " vertically centred";
    EXPECT_LE(std::abs(keys.left() - (n - 1 - keys.right())), 1) << n << " horizontally centred";
  }

  const QRect hand = OpaqueBounds(":/KeyPicture.ico", 32);
  EXPECT_EQ(hand.left(), 0);
  EXPECT_EQ(hand.right(), 16);  // columns 17 to 31 transparent
  EXPECT_GE(hand.height(), 24);
}

}  // namespace
