// One octave, pixel-aligned so it stays sharp at 48x48. Kept as rectangles so the desktop icons
// (larger PNGs, SVG) are the same picture as the window icon.

#include <QColor>
#include <QPainter>
#include <QString>

#include <vector>

#include "ui/assets/generator/Pictures.h"

namespace tastiva::make_assets {

namespace {

struct IconRect {
  int x, y, w, h;
  QRgb colour;
};

std::vector<IconRect> MainIconRects() {
  constexpr int kLeft = 2;
  constexpr int kTop = 12;  // 24 rows: 12 above, 12 below
  constexpr int kPitch = 6;
  constexpr int kWidth = 7 * kPitch + 1;  // 43
  constexpr int kHeight = 24;
  constexpr int kBlackHeight = 15;

  std::vector<IconRect> rects;
  rects.push_back({kLeft, kTop, kWidth, kHeight, qRgb(0x80, 0x80, 0x80)});  // outline
  for (int k = 0; k < 7; ++k) {
    const int x = kLeft + 1 + k * kPitch;
    rects.push_back({x, kTop + 1, kPitch - 1, kHeight - 2, qRgb(0xFF, 0xFF, 0xFF)});
    rects.push_back({x, kTop + kHeight - 4, kPitch - 1, 2, qRgb(0xE4, 0xE4, 0xE4)});  // key front
    rects.push_back({x, kTop + kHeight - 2, kPitch - 1, 1, qRgb(0xCC, 0xCC, 0xCC)});
  }
  // Black keys sit on the boundaries after C, D, F, G and A; 3 px leaves the white keys
  // between them visible at this size.
  for (int boundary : {1, 2, 4, 5, 6}) {
    const int x = kLeft + boundary * kPitch - 1;
    rects.push_back({x, kTop + 1, 3, kBlackHeight, qRgb(0x1E, 0x1E, 0x1E)});
    rects.push_back({x, kTop + kBlackHeight - 1, 3, 1, qRgb(0x50, 0x50, 0x50)});  // key front
  }
  return rects;
}

}  // namespace

QImage DrawMainIcon(int size) {
  QImage img(size, size, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  const qreal scale = qreal(size) / kMainIconGrid;
  QPainter p(&img);
  // Whole-number scales keep every edge on a pixel; others need soft edges.
  p.setRenderHint(QPainter::Antialiasing, size % kMainIconGrid != 0);
  for (const IconRect& r : MainIconRects()) {
    p.fillRect(QRectF(r.x * scale, r.y * scale, r.w * scale, r.h * scale), QColor(r.colour));
  }
  return img;
}

QByteArray MainIconSvg() {
  QByteArray out =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"48\" height=\"48\" "
      "viewBox=\"0 0 48 48\" shape-rendering=\"crispEdges\">\n";
  for (const IconRect& r : MainIconRects()) {
    out += QString("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\"/>\n")
               .arg(r.x)
               .arg(r.y)
               .arg(r.w)
               .arg(r.h)
               .arg(QColor(r.colour).name())
               .toUtf8();
  }
  out += "</svg>\n";
  return out;
}

}  // namespace tastiva::make_assets
