// The desktop menu icons must be the window icon's picture at every size.
#include <gtest/gtest.h>

#include <QColor>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QXmlStreamReader>

#include <memory>

#include "ui/assets/Assets.h"

namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "desktop_icons_tests";
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

QString IconPath(const char* name) {
  return QStringLiteral(TASTIVA_ICON_DIR "/") + name;
}

// Masked-out pixels of the .ico are fully transparent; the rest must match exactly.
void ExpectSamePixel(QRgb window_icon, QRgb desktop, int x, int y) {
  if (qAlpha(window_icon) == 0) {
    EXPECT_EQ(qAlpha(desktop), 0) << x << "," << y;
  } else {
    EXPECT_EQ(desktop, window_icon) << x << "," << y;
  }
}

class PngIcon : public ::testing::TestWithParam<int> {};

// Each pixel of the 48x48 window icon is sampled at the centre of its cell in the larger
// picture, where no edge blending reaches.
TEST_P(PngIcon, IsTheWindowIconScaled) {
  const int size = GetParam();
  const QImage window_icon = tastiva::LoadMaskedIcon(":/MainIcon.ico");
  ASSERT_EQ(window_icon.size(), QSize(48, 48));
  QImage png(IconPath(qPrintable(QString("MainIcon-%1.png").arg(size))));
  ASSERT_EQ(png.size(), QSize(size, size));
  png = png.convertToFormat(QImage::Format_ARGB32);
  ASSERT_TRUE(png.hasAlphaChannel());
  const double scale = size / 48.0;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 48; ++x) {
      const int px = static_cast<int>((x + 0.5) * scale);
      const int py = static_cast<int>((y + 0.5) * scale);
      ExpectSamePixel(window_icon.pixel(x, y), png.pixel(px, py), x, y);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PngIcon, ::testing::Values(48, 128, 256));

// The SVG may hold only filled rectangles; drawn on the 48-unit grid they give the window icon.
TEST(SvgIcon, DrawsTheWindowIcon) {
  QFile file(IconPath("MainIcon.svg"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  QImage drawn(48, 48, QImage::Format_ARGB32);
  drawn.fill(Qt::transparent);
  QPainter p(&drawn);
  int rects = 0;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const auto a = xml.attributes();
    if (xml.name() == u"svg") {
      EXPECT_TRUE(a.value("viewBox") == u"0 0 48 48");
      continue;
    }
    ASSERT_TRUE(xml.name() == u"rect") << xml.name().toString().toStdString();
    const QColor fill(a.value("fill").toString());
    ASSERT_TRUE(fill.isValid());
    p.fillRect(a.value("x").toInt(), a.value("y").toInt(), a.value("width").toInt(),
               a.value("height").toInt(), fill);
    ++rects;
  }
  ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  p.end();
  EXPECT_GT(rects, 0);
  const QImage window_icon = tastiva::LoadMaskedIcon(":/MainIcon.ico");
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 48; ++x) ExpectSamePixel(window_icon.pixel(x, y), drawn.pixel(x, y), x, y);
  }
}

}  // namespace
