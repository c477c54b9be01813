// One octave, laid out anew for each size on whole pixels, so it stays sharp at every size a
// desktop asks for. Kept as rectangles so the SVG is the same picture as the 48x48 one.

#include <QColor>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <vector>

#include "ui/assets/generator/Pictures.h"

namespace tastiva::make_assets {

namespace {

struct IconRect {
  int x, y, w, h;
  QRgb colour;
};

// At 48x48: keys 6 px apart, 43 x 24 px in all, black keys 3 px wide and 15 px long.
std::vector<IconRect> MainIconRects(int size) {
  const int pitch = std::max(2, (43 * size + 120) / 336);  // 43/48 of the side, rounded
  const int width = 7 * pitch + 1;
  const int height = size / 2;
  const int left = (size - width) / 2;
  const int top = (size - height) / 2;
  const int blackHeight = height * 5 / 8;
  const int blackHalf = pitch / 4;  // black keys 2 * blackHalf + 1 wide, across a boundary
  const int front = height / 12;    // the white keys' lit front, 0 below 24 px
  const int edge = std::max(1, front / 2);

  std::vector<IconRect> rects;
  rects.push_back({left, top, width, height, qRgb(0x80, 0x80, 0x80)});  // outline
  for (int k = 0; k < 7; ++k) {
    const int x = left + 1 + k * pitch;
    rects.push_back({x, top + 1, pitch - 1, height - 2, qRgb(0xFF, 0xFF, 0xFF)});
    if (front == 0) continue;
    rects.push_back({x, top + height - 1 - edge - front, pitch - 1, front, qRgb(0xE4, 0xE4, 0xE4)});
    rects.push_back({x, top + height - 1 - edge, pitch - 1, edge, qRgb(0xCC, 0xCC, 0xCC)});
  }
  // Black keys sit on the boundaries after C, D, F, G and A, narrow enough to leave the white
  // keys between them visible.
  for (int boundary : {1, 2, 4, 5, 6}) {
    const int x = left + boundary * pitch - blackHalf;
    const int w = 2 * blackHalf + 1;
    rects.push_back({x, top + 1, w, blackHeight, qRgb(0x1E, 0x1E, 0x1E)});
    rects.push_back({x, top + blackHeight - edge, w, edge, qRgb(0x50, 0x50, 0x50)});  // front
  }
  return rects;
}

}  // namespace

QImage DrawMainIcon(int size) {
  QImage img(size, size, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  for (const IconRect& r : MainIconRects(size)) p.fillRect(r.x, r.y, r.w, r.h, QColor(r.colour));
  return img;
}

QByteArray MainIconSvg() {
  QByteArray out =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"48\" height=\"48\" "
      "viewBox=\"0 0 48 48\" shape-rendering=\"crispEdges\">\n";
  for (const IconRect& r : MainIconRects(kMainIconGrid)) {
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
