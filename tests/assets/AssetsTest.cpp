#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>

#include "ui/assets/Assets.h"

namespace {

// QIcon and the image plugins need a running application object.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "assets_tests";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QGuiApplication>(argc, argv);
    tastiva::InitAssets();
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QGuiApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

QByteArray ReadResource(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

std::uint32_t U16(const QByteArray& b, int at) {
  return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8;
}

std::uint32_t U32(const QByteArray& b, int at) {
  return U16(b, at) | U16(b, at + 2) << 16;
}

std::int32_t I32(const QByteArray& b, int at) {
  return static_cast<std::int32_t>(U32(b, at));
}

// Icon rows are padded to 4 bytes: 24-bit colour rows, then 1-bit mask rows.
int XorRow(int n) {
  return (n * 3 + 3) / 4 * 4;
}
int AndRow(int n) {
  return ((n + 7) / 8 + 3) / 4 * 4;
}

TEST(NoticeBitmap, HeadersAndPaddingMatchTheExactLayout) {
  const QByteArray bmp = ReadResource(":/notice.bmp");
  ASSERT_EQ(bmp.size(), 742270);
  EXPECT_EQ(bmp.left(2), QByteArray("BM"));
  EXPECT_EQ(U32(bmp, 2), 742270u);  // file size
  EXPECT_EQ(U32(bmp, 6), 0u);       // reserved
  EXPECT_EQ(U32(bmp, 10), 54u);     // pixel data offset
  EXPECT_EQ(U32(bmp, 14), 40u);     // info header size
  EXPECT_EQ(I32(bmp, 18), 685);
  EXPECT_EQ(I32(bmp, 22), 361);  // positive: bottom-up rows
  EXPECT_EQ(U16(bmp, 26), 1u);   // planes
  EXPECT_EQ(U16(bmp, 28), 24u);  // bits per pixel
  for (int at = 30; at < 54; at += 4) EXPECT_EQ(U32(bmp, at), 0u) << "info header offset " << at;
  // Rows of 2055 pixel bytes, each padded with one zero byte.
  for (int row = 0; row < 361; ++row) EXPECT_EQ(bmp[54 + row * 2056 + 2055], '\0') << row;
}

bool MaskedOut(const QByteArray& ico, int n, int x, int y) {
  const int mask = 62 + XorRow(n) * n + AndRow(n) * (n - 1 - y);
  return (static_cast<std::uint8_t>(ico[mask + x / 8]) & (0x80 >> (x % 8))) != 0;
}

struct IconCase {
  const char* path;
  int size;
};

// Names the case in test listings (ctest shows the parameter).
void PrintTo(const IconCase& c, std::ostream* os) {
  *os << c.path;
}

class IconFile : public ::testing::TestWithParam<IconCase> {};

TEST_P(IconFile, HasOneTwentyFourBitImageWithAndMask) {
  const int n = GetParam().size;
  const QByteArray ico = ReadResource(GetParam().path);
  const int xor_bytes = XorRow(n) * n;
  const int and_bytes = AndRow(n) * n;
  ASSERT_EQ(ico.size(), 6 + 16 + 40 + xor_bytes + and_bytes);

  EXPECT_EQ(U16(ico, 0), 0u);  // ICONDIR
  EXPECT_EQ(U16(ico, 2), 1u);
  EXPECT_EQ(U16(ico, 4), 1u);
  EXPECT_EQ(static_cast<std::uint8_t>(ico[6]), n);  // ICONDIRENTRY
  EXPECT_EQ(static_cast<std::uint8_t>(ico[7]), n);
  EXPECT_EQ(U16(ico, 10), 1u);
  EXPECT_EQ(U16(ico, 12), 24u);
  EXPECT_EQ(U32(ico, 14), static_cast<std::uint32_t>(40 + xor_bytes + and_bytes));
  EXPECT_EQ(U32(ico, 18), 22u);

  EXPECT_EQ(U32(ico, 22), 40u);  // BITMAPINFOHEADER
  EXPECT_EQ(I32(ico, 26), n);
  EXPECT_EQ(I32(ico, 30), 2 * n);  // colour image plus mask
  EXPECT_EQ(U16(ico, 34), 1u);
  EXPECT_EQ(U16(ico, 36), 24u);
  EXPECT_EQ(U32(ico, 38), 0u);
}

// Qt reads the size and colours but drops the mask of 24-bit icons; our decoder must agree
// with Qt on every colour and with the file's mask on every alpha.
TEST_P(IconFile, LoadsThroughQtAndOurMaskedDecoder) {
  const int n = GetParam().size;
  const QByteArray ico = ReadResource(GetParam().path);
  const QImage qt_img = QImage(GetParam().path).convertToFormat(QImage::Format_ARGB32);
  const QImage ours = tastiva::LoadMaskedIcon(GetParam().path);
  ASSERT_EQ(ours.size(), QSize(n, n));
  ASSERT_EQ(qt_img.size(), QSize(n, n));
  EXPECT_TRUE(QIcon(GetParam().path).availableSizes().contains(QSize(n, n)));
  int transparent = 0;
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const QRgb px = ours.pixel(x, y);
      if (MaskedOut(ico, n, x, y)) {
        ++transparent;
        EXPECT_EQ(qAlpha(px), 0) << x << "," << y;
        EXPECT_EQ(qt_img.pixel(x, y) & 0xFFFFFF, 0u) << "masked pixels are black in the XOR image";
      } else {
        EXPECT_EQ(px, qt_img.pixel(x, y) | 0xFF000000) << x << "," << y;
      }
    }
  }
  EXPECT_GT(transparent, n * n / 4);  // both pictures stand on a transparent ground
}

INSTANTIATE_TEST_SUITE_P(Assets, IconFile,
                         ::testing::Values(IconCase{":/MainIcon.ico", 48},
                                           IconCase{":/KeyPicture.ico", 32}),
                         [](const auto& info) { return std::to_string(info.param.size); });

QRect OpaqueBounds(const QByteArray& ico, int n) {
  QRect bounds;
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      if (!MaskedOut(ico, n, x, y)) bounds |= QRect(x, y, 1, 1);
    }
  }
  return bounds;
}

TEST(MainIcon, OneOctaveAboutFortyThreeByTwentyFourCentred) {
  const QByteArray ico = ReadResource(":/MainIcon.ico");
  ASSERT_EQ(ico.size(), 7358);
  const QRect keys = OpaqueBounds(ico, 48);
  EXPECT_NEAR(keys.width(), 43, 1);
  EXPECT_NEAR(keys.height(), 24, 1);
  EXPECT_LE(std::abs(keys.top() - (47 - keys.bottom())), 1) << "vertically centred";
  EXPECT_LE(std::abs(keys.left() - (47 - keys.right())), 1) << "horizontally centred";

  // Row 16 crosses the five black keys; row 31 only the seven white keys.
  const QImage img = tastiva::DecodeMaskedIcon(ico);
  int dark = 0, white = 0;
  for (int x = 0; x < 48; ++x) {
    dark += qAlpha(img.pixel(x, 16)) == 255 && qGray(img.pixel(x, 16)) < 60;
    white += qAlpha(img.pixel(x, 31)) == 255 && qGray(img.pixel(x, 31)) > 200;
  }
  EXPECT_GE(dark, 5 * 3);
  EXPECT_GE(white, 7 * 4);
}

TEST(KeyPicture, HandFillsTheSeventeenLeftColumnsOnly) {
  const QByteArray ico = ReadResource(":/KeyPicture.ico");
  ASSERT_EQ(ico.size(), 3262);
  for (int y = 0; y < 32; ++y) {
    for (int x = 17; x < 32; ++x) EXPECT_TRUE(MaskedOut(ico, 32, x, y)) << x << "," << y;
  }
  const QRect hand = OpaqueBounds(ico, 32);
  EXPECT_EQ(hand.left(), 0);
  EXPECT_EQ(hand.right(), 16);
  EXPECT_GE(hand.height(), 24);
}

}  // namespace
