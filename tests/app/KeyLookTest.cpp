// How the window reads from its pixels under every style and palette, and what a repaint costs.
#include <QPainter>
#include <QPixmapCache>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleFactory>
#include <cmath>
#include <map>

#include "tests/app/AppFixture.h"

namespace tastiva::test {
namespace {

double Luminance(QRgb c) {
  auto channel = [](int v) {
    const double s = v / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

double Contrast(QRgb a, QRgb b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// What a box of the picture shows: text on its most frequent colour, the ground, with its
// ink the pixels at 3:1 or more from that; its mean luminance; the hand's skin, warm and light.
struct Seen {
  QRgb ground = 0;
  double contrast = 1, luminance = 0;
  int inked = 0, skin = 0;
};

Seen Read(const QImage& image, const QRect& box) {
  std::map<QRgb, int> counts;
  for (int y = box.top(); y <= box.bottom(); ++y) {
    for (int x = box.left(); x <= box.right(); ++x) ++counts[image.pixel(x, y) | 0xFF000000];
  }
  Seen seen{std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
              return a.second < b.second;
            })->first};
  for (const auto& [colour, n] : counts) {
    const double c = Contrast(colour, seen.ground);
    seen.contrast = std::max(seen.contrast, c);
    seen.inked += c >= 3 ? n : 0;
    seen.luminance += n * Luminance(colour) / (box.width() * box.height());
    seen.skin += qRed(colour) > 200 && qRed(colour) - qBlue(colour) > 40 ? n : 0;
  }
  return seen;
}

QPalette Scheme(QColor button, QColor window, QColor windowText, QColor text, QColor highlight,
                QColor highlighted) {
  QPalette p(button, window);
  p.setColor(QPalette::WindowText, windowText);
  for (const auto role : {QPalette::ButtonText, QPalette::Text}) p.setColor(role, text);
  p.setColor(QPalette::Highlight, highlight);
  p.setColor(QPalette::HighlightedText, highlighted);
  return p;
}

// Paints every button panel in its own light grey whatever the palette, as the Windows Vista
// style does with the system's theme. Bevels drawn as controls end up here too.
class ThemedBevels final : public QProxyStyle {
 public:
  ThemedBevels() : QProxyStyle("Windows") {}
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element == PE_PanelButtonCommand || element == PE_PanelButtonBevel) {
      painter->fillRect(option->rect, QColor(240, 240, 240));
    } else {
      QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
  }
};
const QString kThemed = "themed bevels";

// Every style this Qt has, and one that ignores the palette for bevels.
QStringList Styles() {
  return QStyleFactory::keys() << kThemed;
}

// The application's style and palette, given back whatever a test set.
class KeyLook : public AppTest {
 protected:
  ~KeyLook() override {
    QApplication::setStyle(style_);
    QApplication::setPalette(palette_);
    QApplication::processEvents();
  }
  static void UseStyle(const QString& name) {
    QApplication::setStyle(name == kThemed ? new ThemedBevels : QStyleFactory::create(name));
    QApplication::processEvents();
  }

 private:
  QString style_ = QApplication::style()->name();
  QPalette palette_ = QApplication::palette();
};

TEST_F(KeyLook, KeysAndLabelsReadTheSameUnderEveryStyleAndPalette) {
  Start();
  const QStringList styles = Styles();
  ASSERT_TRUE(styles.contains("Windows") && styles.contains("Fusion"))
      << styles.join(",").toStdString();
  for (const QString& style : styles) {
    UseStyle(style);
    const std::pair<const char*, QPalette> palettes[] = {
        {"light", QApplication::style()->standardPalette()},
        {"dark", Scheme(0x303030u, 0x202020u, 0xE0E0E0u, 0xE0E0E0u, 0x2A82DAu, 0x101010u)},
        {"high contrast",
         Scheme(Qt::white, Qt::black, Qt::yellow, Qt::white, Qt::cyan, Qt::black)}};
    for (const auto& [paletteName, palette] : palettes) {
      SCOPED_TRACE(style.toStdString() + ", " + paletteName);
      QApplication::setPalette(palette);
      QApplication::processEvents();  // widgets take a new application palette from an event
      // The window with every key down, then every key up.
      QImage up, down;
      for (QImage* image : {&down, &up}) {
        for (int i = 0; i < 32; ++i) Key(i).SetValue(image == &down ? 1 : 0);
        *image = window.grab().toImage();
      }
      for (int i = 0; i < 32; ++i) {
        SCOPED_TRACE("key " + std::to_string(i) + " " + Key(i).text().toStdString());
        const QRect key = Key(i).geometry();
        const bool black = Key(i).IsBlack();
        // The face clear of caption, hand and neighbours: under the black keys for a white key.
        const QRect face = black ? QRect(key.left() + 3, key.top() + 4, key.width() - 6, 24)
                                 : QRect(key.left() + 3, 156, 5, 24);
        const QRect caption(key.left() + 2, key.bottom() - 21, key.width() - 4, 18);
        for (const QImage* image : {&up, &down}) {
          const bool pressed = image == &down;
          SCOPED_TRACE(pressed ? "pressed" : "released");
          const double lum = Read(*image, face).luminance;
          EXPECT_TRUE(black ? lum < 0.1 : lum > 0.6) << "face luminance " << lum;
          const Seen text = Read(*image, caption);
          EXPECT_GE(text.contrast, 4.5);
          EXPECT_GE(text.inked, 2);
          EXPECT_EQ(Read(*image, key.adjusted(1, 1, -1, -21)).skin > 20, pressed) << "hand";
        }
        // Pushed in shows plainly on both kinds of key.
        EXPECT_GE(std::abs(Read(up, face).luminance - Read(down, face).luminance), 0.04);
      }
      for (QLabel* label : {&window.Label1(), &window.Label2()}) {
        const Seen text = Read(up, label->geometry());
        EXPECT_EQ(text.ground, 0xFFC0C0C0) << label->text().toStdString();
        EXPECT_GE(text.contrast, 4.5) << label->text().toStdString();
      }
    }
  }
}

}  // namespace
}  // namespace tastiva::test
